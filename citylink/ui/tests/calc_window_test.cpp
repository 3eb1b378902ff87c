// The clerk's run on a desktop: the window's run button with the clerk's own LibreOffice (started
// by the run, with windows) on a private X server. Two runs on the city's workbook leave one Calc
// window on it, both sheets filled, modified and unsaved; the test then ends the office and checks
// that no process of it is left.
//
// With SUITE_CALC_SCREENSHOT=<file.png> it also takes a picture of the Calc window
// (scripts/screenshots).
#include "citylink/sheets/calc/calc_backend.h"
#include "citylink/sheets/testing/calc_test_office.h"
#include "foundation/utf8_path.h"
#include "run_test.h"
#include "testsupport/test_files.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using testsupport::ScratchDir;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

constexpr const char* kShortSheet = "利用状況表（保育短時間）";
constexpr const char* kStandardSheet = "保育標準時間";

// The output of a command ("" when it fails).
std::string output(const std::string& command) {
    std::string text;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buf[4096];
        std::size_t n = 0;
        while ((n = fread(buf, 1, sizeof buf, pipe)) > 0)
            text.append(buf, n);
        pclose(pipe);
    }
    return text;
}

bool onPath(const std::string& program) {
    return std::system(("command -v " + program + " >/dev/null 2>&1").c_str()) == 0;
}

// An X server of its own for the test, on the first free display (Xvfb picks it and tells it on
// a pipe). Dies with the test.
class PrivateXServer {
public:
    PrivateXServer() {
        int fds[2];
        if (pipe(fds) != 0)
            return;
        pid_t parent = getpid();
        pid_ = fork();
        if (pid_ == 0) {
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            if (getppid() != parent)
                _exit(127);
            close(fds[0]);
            std::string fd = std::to_string(fds[1]);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-nolisten", "tcp", "-screen", "0",
                   "1280x800x24", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        std::string number;
        char c = 0;
        while (read(fds[0], &c, 1) == 1 && c != '\n')
            number += c;
        close(fds[0]);
        if (!number.empty())
            display_ = ":" + number;
    }
    ~PrivateXServer() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            int status = 0;
            waitpid(pid_, &status, 0);
        }
    }
    const std::string& display() const { return display_; }

private:
    pid_t pid_ = -1;
    std::string display_;
};

// The processes whose environment holds `entry` (the office started with the test's HOME).
std::vector<pid_t> processesWith(const std::string& entry) {
    std::vector<pid_t> found;
    for (const auto& p : fs::directory_iterator("/proc")) {
        const std::string name = p.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::ifstream in(p.path() / "environ", std::ios::binary);
        std::string env((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (env.find(std::string(1, '\0') + entry + std::string(1, '\0')) != std::string::npos ||
            env.starts_with(entry + std::string(1, '\0')))
            found.push_back(static_cast<pid_t>(std::stol(name)));
    }
    return found;
}

// A profile as a clerk's would be after the first day: no tip of the day over the workbook.
void seedProfile(const fs::path& home) {
    fs::path user = home / ".config/libreoffice/4/user";
    fs::create_directories(user);
    std::ofstream(user / "registrymodifications.xcu")
        << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<oor:items xmlns:oor=\"http://openoffice.org/2001/registry\" "
           "xmlns:xs=\"http://www.w3.org/2001/XMLSchema\" "
           "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">\n"
           "<item oor:path=\"/org.openoffice.Office.Common/Misc\"><prop "
           "oor:name=\"ShowTipOfTheDay\" oor:op=\"fuse\"><value>false</value></prop></item>\n"
           "<item oor:path=\"/org.openoffice.Office.Common/Misc\"><prop oor:name=\"FirstRun\" "
           "oor:op=\"fuse\"><value>false</value></prop></item>\n"
           "</oor:items>\n";
}

using CalcWindow = RunTest;

} // namespace

TEST_F(CalcWindow, TheRunLeavesTheFilledWorkbookOpenInAVisibleCalcWindowUnsaved) {
    if (!sheets::CalcInstalled() || !sheets::CalcShowsWindows())
        GTEST_SKIP() << "LibreOffice Calc with windows is not installed";
    if (!onPath("Xvfb") || !onPath("xwininfo") || !onPath("xprop"))
        GTEST_SKIP() << "Xvfb or x11-utils is not installed";
    PrivateXServer x;
    ASSERT_FALSE(x.display().empty()) << "Xvfb did not start";

    ScratchDir home;
    seedProfile(home.path());
    // The office the run starts inherits these: the clerk's desktop, a clerk's profile of its own.
    setenv("HOME", home.path().c_str(), 1);
    unsetenv("XDG_CONFIG_HOME");
    setenv("DISPLAY", x.display().c_str(), 1);
    setenv("SAL_USE_VCLPLUGIN", "gen", 1);
    const std::string homeEntry = "HOME=" + home.path().string();

    // As the program registers it: the user's office.
    sheets::RegisterCalc(registry, sheets::UserCalcOffice());
    ASSERT_NO_FATAL_FAILURE(openSeeded());
    Window& w = *window;

    const fs::path csv =
        writeExport("2019/3/4,りす組,7,2016/08/05,2歳,女,保育短時間,阿部　葵,あべ　あおい,出席,"
                    "7:45,16:20,0,0,\r\n"
                    "2019/3/5,りす組,7,2016/08/05,2歳,女,保育短時間,阿部　葵,あべ　あおい,出席,"
                    "08:10,15:00,0,0,\r\n"
                    "2019/3/4,ぞう組,9,2014/02/11,5歳,男,保育標準時間,石井　陽太,いしい　ようた,"
                    "出席,8:00,18:35,0,0,\r\n");
    const fs::path book = copyCityWorkbook();
    const std::string original = testsupport::readBytes(book);

    prompts.fileChoices = {csv.string()};
    w.cmdCSV選択->click();
    ASSERT_TRUE(w.Cmd連携->isEnabled());
    // Short-time care, then standard-time care, on the same workbook.
    prompts.fileChoices = {book.string()};
    w.Opt大阪市[0]->setChecked(true);
    w.Cmd連携->click();
    ASSERT_EQ(w.lastRunOutcome(), citylink::RunOutcome::Finished);
    prompts.fileChoices = {book.string()};
    w.Opt大阪市[1]->setChecked(true);
    w.Cmd連携->click();
    ASSERT_EQ(w.lastRunOutcome(), citylink::RunOutcome::Finished);
    EXPECT_EQ(prompts.messages.back().text,
              "データの貼りつけを終了しました。確認して保存を行ってください。");

    // A look into the same office, past the window.
    sheets::CalcOfficePtr office = sheets::UserCalcOffice();
    auto docs = sheets::calctest::OpenDocuments(office);
    ASSERT_EQ(docs.size(), 1u);
    EXPECT_EQ(docs[0].file.filename(), book.filename());
    EXPECT_TRUE(docs[0].modified);
    EXPECT_TRUE(docs[0].visible);
    EXPECT_TRUE(docs[0].menuBar);
    auto cell = [&](const char* sheet, const char* a1) {
        return sheets::calctest::CellText(office, book, sheet, a1);
    };
    EXPECT_EQ(cell(kShortSheet, "C6"), "アベ　アオイ");
    EXPECT_EQ(cell(kShortSheet, "AA6"), "7"); // day 4: 07:45 before the band
    EXPECT_EQ(cell(kShortSheet, "AA9"), "20");
    EXPECT_EQ(cell(kStandardSheet, "C6"), "イシイ　ヨウタ");
    EXPECT_EQ(cell(kStandardSheet, "AA6"), "18"); // day 4: 18:35 after the band
    EXPECT_EQ(cell(kStandardSheet, "AA7"), "35");

    // The window on the screen: a Calc window, mapped, named after the workbook.
    const std::string title = utf8::fromPath(book.filename()) + " - LibreOffice Calc";
    std::string id, name, state;
    auto findWindow = [&] {
        const std::string tree =
            output("xwininfo -display " + x.display() + " -root -tree 2>/dev/null");
        for (auto calc = tree.find("\"libreoffice-calc\")"); calc != std::string::npos;
             calc = tree.find("\"libreoffice-calc\")", calc + 1)) {
            const std::size_t begin = tree.find_first_not_of(' ', tree.rfind('\n', calc) + 1);
            id = tree.substr(begin, tree.find(' ', begin) - begin);
            name =
                output("LC_ALL=C.UTF-8 xprop -display " + x.display() + " -id " + id + " WM_NAME");
            if (name.find(title) == std::string::npos)
                continue;
            state = output("xwininfo -display " + x.display() + " -id " + id);
            return state.find("Map State: IsViewable") != std::string::npos;
        }
        return false;
    };
    for (auto deadline = std::chrono::steady_clock::now() + 20s;
         std::chrono::steady_clock::now() < deadline && !findWindow();
         std::this_thread::sleep_for(200ms)) {
    }
    EXPECT_FALSE(id.empty()) << "no Calc window on " << x.display();
    EXPECT_NE(name.find(title), std::string::npos) << id << ": " << name;
    EXPECT_NE(state.find("Map State: IsViewable"), std::string::npos) << state;

    if (const char* shot = std::getenv("SUITE_CALC_SCREENSHOT"); shot && *shot) {
        sheets::calctest::PlaceWindows(office, 0, 0, 1280, 800);
        std::this_thread::sleep_for(3s); // let the office repaint at the new size
        EXPECT_EQ(std::system(("import -display " + x.display() + " -window root " + shot).c_str()),
                  0);
    }

    // Nothing was saved: the clerk's file as it was, no other workbook beside it (the office's
    // lock file of the open document aside).
    EXPECT_EQ(testsupport::readBytes(book), original);
    for (const auto& entry : fs::directory_iterator(work.path())) {
        const std::string name = utf8::fromPath(entry.path().filename());
        EXPECT_TRUE(name == "march.csv" || name == utf8::fromPath(book.filename()) ||
                    name.starts_with(".~lock."))
            << name;
    }

    // The office goes, and every process of it.
    sheets::calctest::Terminate(office);
    office.reset();
    std::vector<pid_t> left;
    for (auto deadline = std::chrono::steady_clock::now() + 30s;
         std::chrono::steady_clock::now() < deadline; std::this_thread::sleep_for(200ms)) {
        left = processesWith(homeEntry);
        if (left.empty())
            break;
    }
    EXPECT_TRUE(left.empty()) << left.size() << " office processes left";
    for (pid_t pid : left)
        kill(pid, SIGKILL);
}
