#include "sf2_builder.h"

#include <atomic>
#include <fstream>
#include <stdexcept>
#include <unistd.h>

namespace zelvo::testing {
namespace {

void AppendWord(std::string& out, std::uint16_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>(v >> 8);
}

void AppendLong(std::string& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

void AppendName(std::string& out, const std::string& name) {
    std::string field = name.substr(0, 20);
    field.resize(20, '\0');
    out += field;
}

std::string Chunk(std::string_view id, const std::string& data) {
    std::string out(id);
    AppendLong(out, static_cast<std::uint32_t>(data.size()));
    out += data;
    if (data.size() % 2 != 0) out += '\0';
    return out;
}

std::string List(std::string_view type, const std::string& body) {
    return Chunk("LIST", std::string(type) + body);
}

// Bags, modulators and generators of a set of zone owners.
struct Hydra {
    std::string bags, mods, gens;
    std::vector<std::uint16_t> firstBag;
};

template <typename Owner>
Hydra BuildHydra(const std::vector<Owner>& owners) {
    Hydra h;
    std::uint16_t bag = 0, gen = 0, mod = 0;
    for (const Owner& owner : owners) {
        h.firstBag.push_back(bag);
        for (const ZoneSpec& zone : owner.zones) {
            AppendWord(h.bags, gen);
            AppendWord(h.bags, mod);
            for (const GenRecord& g : zone.gens) {
                AppendWord(h.gens, g.oper);
                AppendWord(h.gens, g.amount);
            }
            for (const ModRecord& m : zone.mods) {
                for (std::uint16_t v : {m.src, m.dest, m.amount, m.amtSrc, m.trans}) {
                    AppendWord(h.mods, v);
                }
            }
            ++bag;
            gen = static_cast<std::uint16_t>(gen + zone.gens.size());
            mod = static_cast<std::uint16_t>(mod + zone.mods.size());
        }
    }
    h.firstBag.push_back(bag);
    AppendWord(h.bags, gen);  // terminal bag
    AppendWord(h.bags, mod);
    h.mods += std::string(10, '\0');
    h.gens += std::string(4, '\0');
    return h;
}

}  // namespace

GenRecord KeyRange(int lo, int hi) { return {43, static_cast<std::uint16_t>(lo + hi * 256)}; }
GenRecord VelRange(int lo, int hi) { return {44, static_cast<std::uint16_t>(lo + hi * 256)}; }
GenRecord InstrumentId(int index) { return {41, static_cast<std::uint16_t>(index)}; }
GenRecord SampleId(int index) { return {53, static_cast<std::uint16_t>(index)}; }
GenRecord Gen(int oper, int amount) {
    return {static_cast<std::uint16_t>(oper), static_cast<std::uint16_t>(amount & 0xFFFF)};
}

Sf2Builder::Sf2Builder() { Version(2, 1); }

Sf2Builder& Sf2Builder::Info(std::string_view id, std::string data) {
    if (id == "ifil") {
        for (auto& entry : info_) {
            if (entry.first == "ifil") {
                entry.second = std::move(data);
                return *this;
            }
        }
    }
    info_.emplace_back(std::string(id), std::move(data));
    return *this;
}

Sf2Builder& Sf2Builder::Version(std::uint16_t major, std::uint16_t minor) {
    std::string data;
    AppendWord(data, major);
    AppendWord(data, minor);
    return Info("ifil", std::move(data));
}

Sf2Builder& Sf2Builder::Preset(PresetSpec preset) {
    presets_.push_back(std::move(preset));
    return *this;
}

Sf2Builder& Sf2Builder::Instrument(InstrumentSpec instrument) {
    instruments_.push_back(std::move(instrument));
    return *this;
}

Sf2Builder& Sf2Builder::Sample(SampleSpec sample) {
    samples_.push_back(std::move(sample));
    return *this;
}

Sf2Builder& Sf2Builder::SamplePoints(const std::vector<std::int16_t>& points) {
    smpl_.clear();
    for (std::int16_t p : points) AppendWord(smpl_, static_cast<std::uint16_t>(p));
    return *this;
}

Sf2Builder& Sf2Builder::SampleBytes(std::string bytes) {
    smpl_ = std::move(bytes);
    return *this;
}

Sf2Builder& Sf2Builder::Sm24(std::string bytes) {
    sm24_ = std::move(bytes);
    hasSm24_ = true;
    return *this;
}

Sf2Builder& Sf2Builder::WithoutEos() {
    eos_ = false;
    return *this;
}

Sf2Builder& Sf2Builder::Trailer(std::string bytes) {
    trailer_ = std::move(bytes);
    return *this;
}

std::string Sf2Builder::Build() const {
    std::string info;
    for (const auto& [id, data] : info_) info += Chunk(id, data);

    std::string sdta = Chunk("smpl", smpl_);
    if (hasSm24_) sdta += Chunk("sm24", sm24_);

    const Hydra p = BuildHydra(presets_);
    std::string phdr;
    for (std::size_t i = 0; i <= presets_.size(); ++i) {
        const bool terminal = i == presets_.size();
        AppendName(phdr, terminal ? "EOP" : presets_[i].name);
        AppendWord(phdr, terminal ? 0 : presets_[i].preset);
        AppendWord(phdr, terminal ? 0 : presets_[i].bank);
        AppendWord(phdr, p.firstBag[i]);
        phdr += std::string(12, '\0');
    }
    const Hydra n = BuildHydra(instruments_);
    std::string inst;
    for (std::size_t i = 0; i <= instruments_.size(); ++i) {
        AppendName(inst, i == instruments_.size() ? "EOI" : instruments_[i].name);
        AppendWord(inst, n.firstBag[i]);
    }
    std::string shdr;
    std::vector<SampleSpec> samples = samples_;
    if (eos_) samples.push_back(SampleSpec{"EOS"});
    for (const SampleSpec& s : samples) {
        AppendName(shdr, s.name);
        for (std::uint32_t v : {s.start, s.end, s.startLoop, s.endLoop, s.rate}) AppendLong(shdr, v);
        shdr += static_cast<char>(s.pitch);
        shdr += static_cast<char>(s.correction);
        AppendWord(shdr, s.link);
        AppendWord(shdr, s.type);
    }
    const std::string pdta = Chunk("phdr", phdr) + Chunk("pbag", p.bags) + Chunk("pmod", p.mods) +
                             Chunk("pgen", p.gens) + Chunk("inst", inst) + Chunk("ibag", n.bags) +
                             Chunk("imod", n.mods) + Chunk("igen", n.gens) + Chunk("shdr", shdr);

    const std::string body = "sfbk" + List("INFO", info) + List("sdta", sdta) + List("pdta", pdta);
    std::string file = "RIFF";
    AppendLong(file, static_cast<std::uint32_t>(body.size()));
    return file + body + trailer_;
}

std::size_t FindChunk(const std::string& file, std::string_view id) {
    const std::size_t at = file.find(id);
    if (at == std::string::npos) throw std::invalid_argument("no chunk " + std::string(id));
    return at;
}

void PutWord(std::string& file, std::size_t offset, std::uint16_t value) {
    file[offset] = static_cast<char>(value & 0xFF);
    file[offset + 1] = static_cast<char>(value >> 8);
}

void PutLong(std::string& file, std::size_t offset, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) file[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

TempFile::TempFile(const std::string& bytes, std::string_view name) {
    static std::atomic<int> counter{0};
    dir_ = std::filesystem::temp_directory_path() /
           ("zelvo-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(dir_);
    path_ = dir_ / std::string(name);
    std::ofstream(path_, std::ios::binary) << bytes;
}

TempFile::~TempFile() {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
}

}  // namespace zelvo::testing
