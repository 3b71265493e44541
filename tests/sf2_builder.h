// Builds small SoundFont 2 files in memory, so that each test states only
// the records it is about. Defaults give a well-formed file.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zelvo::testing {

struct GenRecord {
    std::uint16_t oper = 0;
    std::uint16_t amount = 0;
};

struct ModRecord {
    std::uint16_t src = 0;
    std::uint16_t dest = 0;
    std::uint16_t amount = 0;
    std::uint16_t amtSrc = 0;
    std::uint16_t trans = 0;
};

struct ZoneSpec {
    ZoneSpec(std::vector<GenRecord> g = {}, std::vector<ModRecord> m = {})
        : gens(std::move(g)), mods(std::move(m)) {}
    std::vector<GenRecord> gens;
    std::vector<ModRecord> mods;
};

struct PresetSpec {
    std::string name;
    std::uint16_t preset = 0;
    std::uint16_t bank = 0;
    std::vector<ZoneSpec> zones;
};

struct InstrumentSpec {
    std::string name;
    std::vector<ZoneSpec> zones;
};

struct SampleSpec {
    std::string name;
    std::uint32_t start = 0;
    std::uint32_t end = 0;
    std::uint32_t startLoop = 0;
    std::uint32_t endLoop = 0;
    std::uint32_t rate = 44100;
    std::uint8_t pitch = 60;
    std::uint8_t correction = 0;
    std::uint16_t link = 0;
    std::uint16_t type = 1;
};

// Generator records by name.
GenRecord KeyRange(int lo, int hi);
GenRecord VelRange(int lo, int hi);
GenRecord InstrumentId(int index);  // 0-based, as the file numbers it
GenRecord SampleId(int index);    // 0-based
GenRecord Gen(int oper, int amount);  // amount may be negative: stored as 16-bit two's complement

class Sf2Builder {
public:
    Sf2Builder();

    // An INFO sub-chunk written as given (id, raw data); replaces the default
    // "ifil" when id is "ifil".
    Sf2Builder& Info(std::string_view id, std::string data);
    Sf2Builder& Version(std::uint16_t major, std::uint16_t minor);
    Sf2Builder& Preset(PresetSpec preset);
    Sf2Builder& Instrument(InstrumentSpec instrument);
    Sf2Builder& Sample(SampleSpec sample);
    // The "smpl" data as 16-bit points (written little-endian).
    Sf2Builder& SamplePoints(const std::vector<std::int16_t>& points);
    Sf2Builder& SampleBytes(std::string bytes);
    // A "sm24" sub-chunk after "smpl".
    Sf2Builder& Sm24(std::string bytes);
    // Leave out the terminal "EOS" record.
    Sf2Builder& WithoutEos();
    // Bytes appended after the "pdta" list.
    Sf2Builder& Trailer(std::string bytes);

    std::string Build() const;

private:
    std::vector<std::pair<std::string, std::string>> info_;
    std::vector<PresetSpec> presets_;
    std::vector<InstrumentSpec> instruments_;
    std::vector<SampleSpec> samples_;
    std::string smpl_;
    std::string sm24_;
    bool hasSm24_ = false;
    bool eos_ = true;
    std::string trailer_;
};

// Offset of the first occurrence of a four-character id in a built file.
std::size_t FindChunk(const std::string& file, std::string_view id);
void PutWord(std::string& file, std::size_t offset, std::uint16_t value);
void PutLong(std::string& file, std::size_t offset, std::uint32_t value);

// A file that removes itself; for code that opens files by path.
class TempFile {
public:
    explicit TempFile(const std::string& bytes, std::string_view name = "test.sf2");
    ~TempFile();
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path folder() const { return dir_; }

private:
    std::filesystem::path dir_;
    std::filesystem::path path_;
};

}  // namespace zelvo::testing
