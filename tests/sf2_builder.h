// SPDX-License-Identifier: GPL-3.0-or-later
// Builds small SoundFont 2 files in memory, so that each test states only
// the records it is about. Defaults give a well-formed file.
#pragma once

#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace zelvo::testing {

struct GenRecord {
    std::uint16_t oper = 0, amount = 0;
};
using ModRecord = std::array<std::uint16_t, 5>;

struct ZoneDef {
    std::vector<GenRecord> gens = {};
    std::vector<ModRecord> mods = {};
};

struct PresetDef {
    std::string name;
    std::uint16_t preset = 0, bank = 0;
    std::vector<ZoneDef> zones;
};

struct InstrumentDef {
    std::string name;
    std::vector<ZoneDef> zones;
};

struct SampleDef {
    std::string name;
    std::uint32_t start = 0, end = 0, startLoop = 0, endLoop = 0, rate = 44100;
    std::uint8_t pitch = 60, correction = 0;
    std::uint16_t link = 0, type = 1;
};

// amount may be negative: stored as 16-bit two's complement.
inline GenRecord Gen(int oper, int amount) {
    return {static_cast<std::uint16_t>(oper), static_cast<std::uint16_t>(amount & 0xFFFF)};
}
// Generators by name; indices are 0-based, as the file stores them.
inline const auto KeyRange = [](int lo, int hi) { return Gen(43, lo + hi * 256); };
inline const auto VelRange = [](int lo, int hi) { return Gen(44, lo + hi * 256); };
inline const auto InstrumentId = [](int index) { return Gen(41, index); };
inline const auto SampleId = [](int index) { return Gen(53, index); };
inline const auto Pan = [](int tenths) { return Gen(17, tenths); };
inline const auto CoarseTune = [](int semitones) { return Gen(51, semitones); };
inline const auto FineTune = [](int cents) { return Gen(52, cents); };
inline const auto SampleModes = [](int modes) { return Gen(54, modes); };
inline const auto RootKey = [](int key) { return Gen(58, key); };

// amplitude x sin(2 pi i / period + phase) for points i below count,
// rounded; silence from point silentFrom on.
inline std::vector<std::int16_t> SinePoints(std::size_t count, double period, double amplitude,
                                            std::size_t silentFrom = SIZE_MAX, double phase = 0) {
    std::vector<std::int16_t> points(count);
    for (std::size_t i = 0; i < count && i < silentFrom; ++i) {
        points[i] = static_cast<std::int16_t>(std::lround(
            amplitude * std::sin(2 * std::numbers::pi * static_cast<double>(i) / period + phase)));
    }
    return points;
}

inline void AppendLe(std::string& out, std::uint32_t value, int width) {
    for (int i = 0; i < width; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}
// Overwrites width bytes of a built file with a little-endian value.
inline void PutLe(std::string& file, std::size_t at, std::uint32_t value, int width) {
    for (int i = 0; i < width; ++i) file[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}
// Offset of the first occurrence of a four-character id in a built file.
inline std::size_t FindChunk(const std::string& file, std::string_view id) {
    const std::size_t at = file.find(id);
    if (at == std::string::npos) throw std::invalid_argument("no chunk " + std::string(id));
    return at;
}

// Grows a pdta chunk by delta zero bytes at its end, or cuts -delta bytes
// from it, keeping the sizes of the pdta list and the RIFF chunk true.
inline std::string ResizeChunk(std::string file, std::string_view id, int delta) {
    const std::size_t at = FindChunk(file, id);
    const auto size = [&](std::size_t where) {
        std::uint32_t value = 0;
        for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(file[where + i]);
        return value;
    };
    const std::size_t end = at + 8 + size(at + 4);
    if (delta > 0) file.insert(end, static_cast<std::size_t>(delta), '\0');
    if (delta < 0) file.erase(end + static_cast<std::size_t>(delta), static_cast<std::size_t>(-delta));
    for (const std::size_t field : {at + 4, FindChunk(file, "pdta") - 4, std::size_t{4}})
        PutLe(file, field, size(field) + static_cast<std::uint32_t>(delta), 4);
    return file;
}

class Sf2Builder {
public:
    // An INFO sub-chunk as given; "ifil" replaces the default version 2.01.
    Sf2Builder& Info(std::string_view id, std::string data) {
        if (id == "ifil") return ifil_ = std::move(data), *this;
        return info_ += Chunk(id, data), *this;
    }
    Sf2Builder& Preset(PresetDef p) { return presets_.push_back(std::move(p)), *this; }
    Sf2Builder& Instrument(InstrumentDef i) { return instruments_.push_back(std::move(i)), *this; }
    Sf2Builder& Sample(SampleDef s) { return samples_.push_back(std::move(s)), *this; }
    // A compressed sample: stream goes after the sample data so far, and
    // start and end become its byte offsets there. Loop points stay as given.
    Sf2Builder& CompressedSample(SampleDef s, std::string_view stream) {
        s.start = static_cast<std::uint32_t>(smpl_.size());
        s.end = static_cast<std::uint32_t>(smpl_.size() + stream.size());
        s.type |= 0x0010;
        smpl_ += stream;
        return Sample(std::move(s));
    }
    Sf2Builder& SampleBytes(std::string bytes) { return smpl_ = std::move(bytes), *this; }
    Sf2Builder& SamplePoints(const std::vector<std::int16_t>& points) {
        smpl_.clear();
        for (std::int16_t p : points) AppendLe(smpl_, static_cast<std::uint16_t>(p), 2);
        return *this;
    }
    Sf2Builder& Sm24(std::string bytes) { return sm24_ = std::move(bytes), *this; }
    Sf2Builder& WithoutEos() { return eos_ = false, *this; }

    std::string Build() const {
        std::string sdta = Chunk("smpl", smpl_);
        if (sm24_) sdta += Chunk("sm24", *sm24_);
        // Headers, each ending with its first bag, then the bags, modulators and
        // generators of their zones; every list ends with a terminal record.
        const auto hydra = [](const auto& owners, const char* terminal, const char* ids, auto header) {
            std::string headers, bags, mods, gens;
            std::uint32_t bag = 0, gen = 0, mod = 0;
            for (std::size_t i = 0;; ++i) {
                const bool end = i == owners.size();
                headers += Name(end ? terminal : owners[i].name);
                header(headers, end ? nullptr : &owners[i], bag);
                if (end) break;
                for (const ZoneDef& zone : owners[i].zones) {
                    AppendLe(bags, gen | Hi(mod), 4);
                    for (const GenRecord& g : zone.gens) AppendLe(gens, g.oper | Hi(g.amount), 4);
                    for (const ModRecord& m : zone.mods) for (std::uint16_t v : m) AppendLe(mods, v, 2);
                    ++bag;
                    gen += static_cast<std::uint32_t>(zone.gens.size());
                    mod += static_cast<std::uint32_t>(zone.mods.size());
                }
            }
            AppendLe(bags, gen | Hi(mod), 4);
            const std::string_view id(ids);
            return Chunk(id.substr(0, 4), headers) + Chunk(id.substr(4, 4), bags) +
                   Chunk(id.substr(8, 4), mods + std::string(10, '\0')) +
                   Chunk(id.substr(12, 4), gens + std::string(4, '\0'));
        };
        std::string pdta = hydra(presets_, "EOP", "phdrpbagpmodpgen",
                                 [](std::string& out, const PresetDef* p, std::uint32_t bag) {
                                     AppendLe(out, p ? p->preset | Hi(p->bank) : 0, 4);
                                     AppendLe(out, bag, 2);
                                     out += std::string(12, '\0');
                                 });
        pdta += hydra(instruments_, "EOI", "instibagimodigen",
                  [](std::string& out, const auto*, std::uint32_t bag) { AppendLe(out, bag, 2); });
        std::string shdr;
        std::vector<SampleDef> samples = samples_;
        if (eos_) samples.push_back({"EOS"});
        for (const SampleDef& s : samples) {
            shdr += Name(s.name);
            for (std::uint32_t v : {s.start, s.end, s.startLoop, s.endLoop, s.rate}) AppendLe(shdr, v, 4);
            AppendLe(shdr, s.pitch | s.correction << 8 | Hi(s.link), 4);
            AppendLe(shdr, s.type, 2);
        }
        return Chunk("RIFF", "sfbk" + List("INFO", Chunk("ifil", ifil_) + info_) +
                                 List("sdta", sdta) + List("pdta", pdta + Chunk("shdr", shdr)));
    }

private:
    static std::uint32_t Hi(std::uint32_t word) { return word << 16; }
    static std::string Chunk(std::string_view id, const std::string& data) {
        std::string out(id);
        AppendLe(out, static_cast<std::uint32_t>(data.size()), 4);
        return out + data + (data.size() % 2 ? std::string(1, '\0') : "");
    }
    static std::string List(std::string_view type, const std::string& body) {
        return Chunk("LIST", std::string(type) + body);
    }
    static std::string Name(std::string name) { return name.resize(20, '\0'), name; }

    std::string ifil_{"\x02\x00\x01\x00", 4}, info_, smpl_;
    std::optional<std::string> sm24_;
    std::vector<PresetDef> presets_;
    std::vector<InstrumentDef> instruments_;
    std::vector<SampleDef> samples_;
    bool eos_ = true;
};

// A file in a folder of its own that removes both; for code that opens paths.
class TempFile {
public:
    explicit TempFile(const std::string& bytes, std::string_view name = "test.sf2") {
        static std::atomic<int> counter{0};
        dir_ = std::filesystem::temp_directory_path() /
               ("zelvo-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        std::filesystem::create_directories(dir_);
        path_ = dir_ / std::string(name);
        std::ofstream(path_, std::ios::binary) << bytes;
    }
    ~TempFile() {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path folder() const { return dir_; }

private:
    std::filesystem::path dir_, path_;
};

// The names in a folder, sorted.
inline std::vector<std::string> FileNames(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace zelvo::testing
