#include "framework/graphics/TRenderer.h"

namespace {
std::atomic<TRenderer*> gRenderer{nullptr};
}

TRenderer::TRenderer() {
    gRenderer = this;
}

TRenderer::~TRenderer() {
    TRenderer* self = this;
    gRenderer.compare_exchange_strong(self, nullptr);
}

TRenderer* TRenderer::Get() {
    return gRenderer;
}

TRenderer::Point TRenderer::PresentFrame(int, int) {
    return Point();
}
