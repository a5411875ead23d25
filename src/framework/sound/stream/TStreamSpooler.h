#pragma once

#include <cstdint>
#include <memory>

class TSoundDataSource;

// Reads a data source's PCM for a stream, from a byte position that moves
// on with each fill; a looping fill goes on from the start of the data.
class TStreamSpooler {
public:
    explicit TStreamSpooler(std::shared_ptr<TSoundDataSource> source);
    virtual ~TStreamSpooler() = default;

    // Fills size bytes at dest (the rest with silence) and adds the bytes
    // read to *got. False once the end of the data was reached without
    // loop; with loop, false only for data that holds no bytes at all.
    virtual bool Fill(uint32_t size, void* dest, uint32_t* got, bool loop);
    // Moves to the whole frame at the time given.
    virtual void SeekTime(double seconds);
    virtual float GetDuration() const;
    virtual void Delete() { delete this; }
    virtual void Rewind() { SeekTime(0.0); }

    uint32_t GetPosition() const { return mPosition; }
    const std::shared_ptr<TSoundDataSource>& GetSource() const { return mSource; }

private:
    std::shared_ptr<TSoundDataSource> mSource;
    uint32_t mPosition = 0;
};
