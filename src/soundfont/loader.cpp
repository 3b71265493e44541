// SPDX-License-Identifier: GPL-3.0-or-later
#include "soundfont/loader.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>

#include "soundfont/errors.h"
#include "soundfont/ogg_length.h"
#include "soundfont/reader.h"
#include "soundfont/regular_file.h"
#include "soundfont/tree_keys.h"
#include "soundfont/zone_tables.h"

namespace zelvo {
namespace {

// A whole number with a blank in place of its plus sign.
std::string SignPositionText(int n) {
    return n < 0 ? std::to_string(n) : " " + std::to_string(n);
}

void ClearModel(SoundFontModel& model) { model = SoundFontModel{}; }

}  // namespace

void InitTables(SoundFontModel& model) {
    SoundFontModel fresh;
    fresh.FileName = std::move(model.FileName);
    fresh.FileFolder = std::move(model.FileFolder);
    model = std::move(fresh);
}

void SplitChosenPath(SoundFontModel& model, const std::string& path) {
    const std::size_t slash = path.rfind('/');
    model.FileFolder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    model.FileName = slash == std::string::npos ? path : path.substr(slash + 1);
}

void LoadSoundFont(SoundFontModel& model, ByteReader& in, BrowseTree& tree) {
    InitTables(model);
    tree.Clear();
    ReadContext cx{model, in, tree};
    try {
        ReadRiffHeader(cx);
        ReadInfoList(cx);
        ReadSampleDataList(cx);
        ReadPresetHeaders(cx);
        ReadPresetBags(cx);
        ReadPresetMods(cx);
        ReadPresetGens(cx);
        ReadInstHeaders(cx);
        ReadInstBags(cx);
        ReadInstMods(cx);
        ReadInstGens(cx);
        ReadSampleHeaders(cx);
        in.SetChunk("");
        ReadDecodedLengths(in.Stream(), model);
        ResolveReferences(model);
        LabelPresetZones(model, tree);
        BuildInstZoneTable(model, tree);
    } catch (...) {
        ClearModel(model);
        tree.Clear();
        throw;
    }
    tree.Collapse(kPresetsKey);
    tree.MakeVisible(kRootKey);
}

void OpenSoundFont(SoundFontModel& model, const std::string& path, BrowseTree& tree) {
    SplitChosenPath(model, path);
    InitTables(model);
    const auto refuse = [&](const std::string& reason) {
        ClearModel(model);
        tree.Clear();
        throw FileAccessError(path + ": " + reason);
    };
    try {
        RegularFileStream file(path);
        const auto reader = std::make_unique<ByteReader>(file.stream());
        LoadSoundFont(model, *reader, tree);
    } catch (const FileAccessError& e) {
        refuse(e.what());
    }
}

std::string CountText(const SoundFontModel& model) {
    return SignPositionText(model.PresetCount) + " presets, " + SignPositionText(model.InstCount) +
           " instruments, " + SignPositionText(model.SampleCount) + " samples";
}

std::string LoadedText(const SoundFontModel& model) {
    return CountText(model) + ", one moment please...";
}

}  // namespace zelvo
