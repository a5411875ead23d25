#include "game/board/BoardTile.h"

#include "game/data/TileKinds.h"

int BoardTile::GetKind() const {
    return mKind ? mKind->kind : 0;
}
