#include "framework/host/TSimpleHttp.h"

TSimpleHttp::TSimpleHttp() = default;

TSimpleHttp::~TSimpleHttp() {
    if (mRequest)
        mRequest->cancelled = true;
}
