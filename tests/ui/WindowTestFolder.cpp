#include "tests/ui/WindowTestFolder.h"

#include "settings/ExeFolder.h"
#include "tests/support/MediaFixtures.h"
#include "ui/CFennexAVConverterDlg.h"

#include <QTest>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

WindowTestFolder::WindowTestFolder() : temp("win"), root(temp.path())
{
    exe = root + "/exe";
    fs::create_directories(exe + "/languages");
    OverrideExeFolder(exe);
}

void WindowTestFolder::WriteSettings(const std::string& text) const
{
    std::ofstream(ini(), std::ios::binary) << text;
}

std::unique_ptr<CFennexAVConverterDlg> OpenWindow()
{
    auto window = std::make_unique<CFennexAVConverterDlg>();
    window->endProcess = [] {};
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get()))
        return nullptr;
    return window;
}

void WindowTestFolder::CopyLanguageFile(const std::string& name) const
{
    fs::copy_file(std::string(FENNEX_SOURCE_DIR) + "/resources/languages/" + name,
                  exe + "/languages/" + name, fs::copy_options::overwrite_existing);
}

namespace {

MediaSet* MakeMedia()
{
    auto* set = new MediaSet;
    set->folder = MakeTempFolder("fennex-win-media");
    auto make = [&](const std::string& name, MediaRecipe recipe) {
        const std::string path = set->folder + "/" + name;
        const std::string error = MakeMediaFile(path, recipe);
        if (!error.empty())
            ADD_FAILURE() << "cannot make " << path << ": " << error;
        return QString::fromStdString(path);
    };
    MediaRecipe a;
    a.width = 320;
    a.height = 240;
    a.seconds = 2.0;
    set->video320 = make("clip one.mp4", a);
    MediaRecipe b;
    b.width = 640;
    b.height = 360;
    b.fps_num = 30000;
    b.fps_den = 1001;
    set->video640 = make("portrait.mov", b);
    MediaRecipe c;
    c.fps_num = 8;
    set->video8fps = make("slow.mkv", c);
    MediaRecipe d;
    d.video_codec = "";
    set->audioOnly = make("song.m4a", d);
    std::atexit([] { RemoveTree(Media().folder); });
    return set;
}

}  // namespace

const MediaSet& Media()
{
    static const MediaSet* set = MakeMedia();
    return *set;
}
