#pragma once

class TSoundStream;

// Told when a stream ends (played out, stopped or destroyed); always on the
// main thread.
class TStreamNotify {
public:
    virtual ~TStreamNotify() = default;
    virtual void OnStreamEnd(TSoundStream* stream) = 0;
};
