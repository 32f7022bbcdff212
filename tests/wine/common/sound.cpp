#include "sound.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "tests/wine/common/harness.h"

namespace {

constexpr int kSampleRate = 8000;
constexpr int kMarkerSamples = 16;
constexpr int kMinimumMarkerRun = 4;  // a shorter run is not taken for a start
constexpr int kMaximumId = 1000;

// Marker and body values of all ids are pairwise distinct, non-zero and never silence.
int16_t MarkerValue(int id) { return static_cast<int16_t>(2000 + 20 * id); }
int16_t BodyValue(int id) { return static_cast<int16_t>(2000 + 20 * id + 10); }

int IdOfBody(int16_t sample) {
    const int offset = sample - 2010;
    if (offset <= 0 || offset % 20 != 0 || offset / 20 > kMaximumId) return 0;
    return offset / 20;
}

int IdOfMarker(int16_t sample) {
    const int offset = sample - 2000;
    if (offset <= 0 || offset % 20 != 0 || offset / 20 > kMaximumId) return 0;
    return offset / 20;
}

void Append32(std::string& out, uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

void Append16(std::string& out, uint16_t value) {
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>(value >> 8));
}

std::string CapturePath() {
    const char* path = std::getenv("CB_CAPTURE_FILE");
    return path ? path : "";
}

HANDLE OpenCapture() {
    return CreateFileA(CapturePath().c_str(), GENERIC_READ,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Only whole samples from the mark on; a sample being written at the very end is left for later.
std::vector<int16_t> SamplesFrom(uint64_t mark) {
    std::vector<int16_t> samples;
    HANDLE file = OpenCapture();
    if (file == INVALID_HANDLE_VALUE) return samples;
    LARGE_INTEGER size = {};
    GetFileSizeEx(file, &size);
    const uint64_t end = static_cast<uint64_t>(size.QuadPart);
    if (end > mark) {
        samples.resize(static_cast<size_t>((end - mark) / 2));
        LARGE_INTEGER start = {};
        start.QuadPart = static_cast<LONGLONG>(mark);
        SetFilePointerEx(file, start, nullptr, FILE_BEGIN);
        DWORD read = 0;
        ReadFile(file, samples.data(), static_cast<DWORD>(samples.size() * 2), &read, nullptr);
        samples.resize(read / 2);
    }
    CloseHandle(file);
    return samples;
}

uint64_t CaptureFileSize() {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExA(CapturePath().c_str(), GetFileExInfoStandard, &data)) return 0;
    return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// The ids of the sounds whose start appears in raw 16-bit PCM, in playing order.
std::vector<int> DecodeSoundStarts(const std::vector<int16_t>& samples) {
    std::vector<int> starts;
    size_t i = 0;
    while (i < samples.size()) {
        size_t end = i + 1;
        while (end < samples.size() && samples[end] == samples[i]) ++end;
        const int id = IdOfMarker(samples[i]);
        if (id != 0 && end - i >= static_cast<size_t>(kMinimumMarkerRun)) starts.push_back(id);
        i = end;
    }
    return starts;
}

}  // namespace

int NextSoundId() {
    static int next = 0;
    next = next % kMaximumId + 1;
    return next;
}

size_t SoundSamples(int milliseconds) {
    return static_cast<size_t>(kSampleRate) * static_cast<size_t>(milliseconds) / 1000;
}

std::string WriteTestSound(const std::string& dir, int id, int milliseconds) {
    const int samples = static_cast<int>(SoundSamples(milliseconds));
    const uint32_t dataBytes = static_cast<uint32_t>(samples) * 2;
    std::string wav = "RIFF";
    Append32(wav, 36 + dataBytes);
    wav += "WAVEfmt ";
    Append32(wav, 16);
    Append16(wav, 1);  // PCM
    Append16(wav, 1);  // mono
    Append32(wav, kSampleRate);
    Append32(wav, kSampleRate * 2);
    Append16(wav, 2);
    Append16(wav, 16);
    wav += "data";
    Append32(wav, dataBytes);
    for (int i = 0; i < samples; ++i) {
        Append16(wav, static_cast<uint16_t>(i < kMarkerSamples ? MarkerValue(id) : BodyValue(id)));
    }
    const std::string path = dir + "\\sound-" + std::to_string(id) + ".wav";
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file) {
        std::fwrite(wav.data(), 1, wav.size(), file);
        std::fclose(file);
    }
    return path;
}

Capture::Capture() { Mark(); }

void Capture::Mark() { mark_ = CaptureFileSize(); }

uint64_t Capture::Bytes() const {
    const uint64_t size = CaptureFileSize();
    return size > mark_ ? size - mark_ : 0;
}

std::vector<int> Capture::Starts() const { return DecodeSoundStarts(SamplesFrom(mark_)); }

int Capture::Count(int id) const {
    int count = 0;
    for (int started : Starts()) count += started == id ? 1 : 0;
    return count;
}

size_t Capture::Samples(int id) const {
    size_t count = 0;
    for (int16_t sample : SamplesFrom(mark_)) {
        count += (IdOfMarker(sample) == id || IdOfBody(sample) == id) ? 1 : 0;
    }
    return count;
}

bool PumpUntilCaptureQuiet(unsigned long quietMs, unsigned long timeoutMs) {
    uint64_t size = CaptureFileSize();
    DWORD since = GetTickCount();
    return PumpUntil(
        [&] {
            const uint64_t now = CaptureFileSize();
            if (now != size) {
                size = now;
                since = GetTickCount();
            }
            return GetTickCount() - since >= quietMs;
        },
        timeoutMs);
}
