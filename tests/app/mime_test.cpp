// SPDX-License-Identifier: GPL-3.0-or-later
// The shared-mime-info package: SoundFonts are known by their RIFF form type
// "sfbk" whatever their name, and by their .sf2 and .sf3 names. The package
// is compiled with update-mime-database into a folder of its own, which Qt
// then reads as the desktop's MIME database.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "sf2_builder.h"

namespace zelvo::testing {
namespace {

QString Q(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}

std::string TypeByContent(const TempFile& file) {
    const QMimeDatabase db;
    return db.mimeTypeForFile(Q(file.path()), QMimeDatabase::MatchContent).name().toStdString();
}

TEST(MimeType, SoundFontsAreKnownByFormTypeAndByName) {
    if (qEnvironmentVariableIsSet("ZELVO_MIME_SKIP")) GTEST_SKIP() << qgetenv("ZELVO_MIME_SKIP").toStdString();
    Sf2Builder b;
    b.Sample({.name = "Tone", .end = 10}).SamplePoints(std::vector<std::int16_t>(10));
    b.Instrument({"Tone", {{{SampleId(0)}}}});
    const TempFile bank(b.Preset({"Tone", 0, 0, {{{InstrumentId(0)}}}}).Build(), "bank.bin");
    EXPECT_EQ(TypeByContent(bank), "audio/x-soundfont");

    std::string wave = b.Build();
    wave.replace(8, 4, "WAVE");
    EXPECT_EQ(TypeByContent(TempFile(wave, "sound.bin")), "audio/x-wav");
    std::string other = b.Build();
    other.replace(8, 4, "sfbx");
    EXPECT_EQ(TypeByContent(TempFile(other, "other.bin")), "application/x-riff");

    const QMimeDatabase db;
    for (const char* name : {"Bank.sf2", "Bank.sf3", "BANK.SF2"}) {
        EXPECT_EQ(db.mimeTypeForFile(name, QMimeDatabase::MatchExtension).name().toStdString(),
                  "audio/x-soundfont") << name;
    }
    EXPECT_EQ(db.mimeTypeForName("audio/x-sfbk").name().toStdString(), "audio/x-soundfont");
}

}  // namespace
}  // namespace zelvo::testing

// Compiles the system's MIME definitions and Zelvo's package into a
// temporary database before Qt first reads one.
int main(int argc, char** argv) {
    QTemporaryDir data;
    const QString packages = data.filePath("mime/packages");
    std::filesystem::create_directories(packages.toStdString());
    std::error_code noSystemTypes;
    std::filesystem::copy_file("/usr/share/mime/packages/freedesktop.org.xml",
                               (packages + "/freedesktop.org.xml").toStdString(), noSystemTypes);
    std::filesystem::copy_file(ZELVO_MIME_PACKAGE, (packages + "/zelvo.xml").toStdString());
    qputenv("XDG_DATA_HOME", data.filePath("home").toUtf8());
    qputenv("XDG_DATA_DIRS", data.path().toUtf8());
    const QString update = QStandardPaths::findExecutable("update-mime-database");
    if (update.isEmpty() || noSystemTypes) {
        qputenv("ZELVO_MIME_SKIP", "shared-mime-info is not installed");
    } else if (QProcess::execute(update, {data.filePath("mime")}) != 0) {
        qputenv("ZELVO_MIME_SKIP", "update-mime-database failed");
    }
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
