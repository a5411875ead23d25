#pragma once

#include "framework/core/text/TString.h"

#include <memory>

// An object for a simple web request. Nothing fills its texts or opens a
// request: the main menu makes one for the length of a call and destroys
// it, and no transfer takes place, so it touches no network.
class TSimpleHttp {
public:
    TSimpleHttp();
    virtual ~TSimpleHttp();
    TSimpleHttp(const TSimpleHttp&) = delete;
    TSimpleHttp& operator=(const TSimpleHttp&) = delete;

    bool HasOpenRequest() const { return mRequest != nullptr; }

private:
    // An open request; closing sets its cancel flag.
    struct Request {
        bool cancelled = false;
    };

    TString mTexts[4];
    std::unique_ptr<Request> mRequest;
};
