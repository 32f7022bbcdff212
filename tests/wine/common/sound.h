// Test sounds that can be told apart in what the program played, and the ALSA capture file
// (named by the environment variable CB_CAPTURE_FILE) that records the played PCM bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A distinct id for each sound of a test run, so that a late play of an earlier test is never
// mistaken for one of a later test.
int NextSoundId();

// Samples in one play of a test sound of that length.
size_t SoundSamples(int milliseconds);

// Writes DIR\sound-ID.wav (mono, 16 bits, 8 kHz) and returns its path. Its samples begin with a
// start marker and go on with a body, both values unique to the id, so every play is counted.
std::string WriteTestSound(const std::string& dir, int id, int milliseconds = 60);

class Capture {
public:
    Capture();  // marks the current end of the file: only what plays from now on counts

    void Mark();
    uint64_t Bytes() const;          // bytes played since the mark
    std::vector<int> Starts() const;  // sound ids started since the mark, in order
    int Count(int id) const;         // how often that sound started since the mark
    size_t Samples(int id) const;    // samples of that sound played since the mark

private:
    uint64_t mark_ = 0;
};

// Pumps this thread's messages until nothing has been played for quietMs.
bool PumpUntilCaptureQuiet(unsigned long quietMs, unsigned long timeoutMs = 10000);
