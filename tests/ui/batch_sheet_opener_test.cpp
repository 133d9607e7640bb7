// Opening the batch sheet: the program named by the environment or the desktop's
// default application, waited for without blocking the window, and what the page
// says about each way it can end.
#include "ui/customize/batch_sheet_opener.h"

#include <gtest/gtest.h>

#include <signal.h>

#include <QTest>
#include <filesystem>
#include <fstream>

#include "records/language.h"
#include "support/temp_folder.h"
#include "ui/controls/t_button_picture.h"
#include "ui/customize/customize_page.h"
#include "ui/customize/desktop_entry.h"
#include "ui/customize/file_choice.h"
#include "ui/customize_test_support.h"
#include "ui/termination_signal_set.h"
#include "ui/translate_window.h"

namespace plindar {
namespace {

namespace fs = std::filesystem;
using End = CBatchSheetOpener::End;
using test::CountLines;
using test::NoteRecorder;
using test::ReadWholeFile;
using test::TempFolder;

constexpr int kWaitMs = 30000;

// A variable set for one test and put back afterwards.
class EnvScope {
public:
    EnvScope(const char* name, const QByteArray& value)
        : name_(name), had_(qEnvironmentVariableIsSet(name)), saved_(qgetenv(name)) {
        qputenv(name, value);
    }
    ~EnvScope() {
        if (had_) {
            qputenv(name_, saved_);
        } else {
            qunsetenv(name_);
        }
    }

private:
    const char* name_;
    bool had_;
    QByteArray saved_;
};

class BatchSheetOpenerTest : public ::testing::Test {
protected:
    void SetUp() override {
        InitLanguage(test::StageFolder(), kEnglishLcid);
        std::ofstream(sheet_) << "the sheet as the page wrote it";
        page_.resize(100, 100);
        page_.show();
        QObject::connect(&opener_, &CBatchSheetOpener::Ended,
                         [this](End how) { ends_.push_back(how); });
    }
    bool WaitForEnd() {
        return QTest::qWaitFor([&] { return !ends_.empty(); }, kWaitMs);
    }

    TempFolder folder_;
    const std::string sheet_ = folder_.Path() + "sheet.xls";
    QWidget page_;
    CBatchSheetOpener opener_{&page_};
    std::vector<End> ends_;
};

TEST_F(BatchSheetOpenerTest, ThePageStaysDisabledWhileTheProgramRunsAndTheWindowGoesOn) {
    std::ofstream(folder_.Path() + "filled.xls") << "the sheet as the operator saved it";
    const std::string counter = folder_.Path() + "runs";
    const std::string release = folder_.Path() + "release";
    EnvScope editor(CBatchSheetOpener::kEditorVariable,
                    QByteArray::fromStdString(test::WriteSheetFiller(
                        folder_.Path(), folder_.Path() + "filled.xls", counter, release)));
    opener_.SetHandOverWindow(std::chrono::milliseconds(0));
    NoteRecorder notes;

    opener_.Open(QString::fromStdString(sheet_));
    // Open came back at once: the program runs on while the event loop does.
    EXPECT_FALSE(page_.isEnabled());
    EXPECT_TRUE(opener_.Busy());
    bool timer_ran = false;
    QTimer::singleShot(0, [&] { timer_ran = true; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return CountLines(counter) == 1 && timer_ran; }, kWaitMs));
    EXPECT_FALSE(page_.isEnabled());
    EXPECT_TRUE(ends_.empty());

    std::ofstream{release};
    ASSERT_TRUE(WaitForEnd());
    EXPECT_EQ(ends_, std::vector<End>{End::kClosed});
    EXPECT_TRUE(page_.isEnabled());
    EXPECT_FALSE(opener_.Busy());
    EXPECT_EQ(ReadWholeFile(sheet_), "the sheet as the operator saved it");
    EXPECT_TRUE(notes.Seen().empty());
}

TEST_F(BatchSheetOpenerTest, TheProgramGetsTheSignalsTheWindowBlocksForItself) {
    // grep reads its own mask, inherited through exec: a shell's mask shows every
    // signal blocked for a moment whenever it waits for a child.
    const std::string out = folder_.Path() + "status";
    EnvScope editor(
        CBatchSheetOpener::kEditorVariable,
        QByteArray::fromStdString(test::WriteScript(
            folder_.Path(), "mask.sh", "exec grep SigBlk /proc/self/status > '" + out + "'\n")));
    opener_.SetHandOverWindow(std::chrono::milliseconds(0));
    sigset_t terminate = TerminationSignalSet();
    sigset_t before;
    ASSERT_EQ(pthread_sigmask(SIG_BLOCK, &terminate, &before), 0);
    opener_.Open(QString::fromStdString(sheet_));
    const bool ended = WaitForEnd();
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
    ASSERT_TRUE(ended);
    const std::string line = ReadWholeFile(out);
    ASSERT_EQ(line.rfind("SigBlk:", 0), 0u) << line;
    const unsigned long long mask = std::stoull(line.substr(7), nullptr, 16);
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        EXPECT_EQ(mask & (1ull << (signal - 1)), 0u) << signal;
    }
}

// Through the page: what the operator is told for each way the program ends.
struct ending_case {
    const char* name;
    const char* editor_body;  // empty: a program that does not exist
    long long hand_over_ms;
    End end;
    std::vector<const char*> notes;
};

void PrintTo(const ending_case& c, std::ostream* out) {
    *out << c.name;
}

class SheetEndingTest : public ::testing::TestWithParam<ending_case> {};

TEST_P(SheetEndingTest, ThePageSaysWhatBecameOfTheSheet) {
    const ending_case& c = GetParam();
    InitLanguage(test::StageFolder(), kEnglishLcid);
    test::ProgramFolderScope program;
    QWidget holder;
    holder.resize(817, 540);
    auto* page = new CDeviceCustomizationDlg(&holder);
    holder.show();
    page->show();
    std::ofstream(program.Path() + "config.xml") << test::kCustomizeConfigXml;
    page->SetFileChooser([&](QWidget*, const QString&) {
        return std::optional<QString>(QString::fromStdString(program.Path() + "config.xml"));
    });
    page->SheetOpener()->SetHandOverWindow(std::chrono::milliseconds(c.hand_over_ms));
    std::vector<End> ends;
    QObject::connect(page->SheetOpener(), &CBatchSheetOpener::Ended,
                     [&](End how) { ends.push_back(how); });
    const std::string program_path =
        *c.editor_body == '\0' ? program.Path() + "no-such-editor"
                               : test::WriteScript(program.Path(), "editor.sh", c.editor_body);
    EnvScope editor(CBatchSheetOpener::kEditorVariable, QByteArray::fromStdString(program_path));
    QTest::mouseClick(page->ConfigSelectButton(), Qt::LeftButton);

    NoteRecorder notes;
    QTest::mouseClick(page->ConfigNameButton(), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return !ends.empty() && notes.Seen().size() == c.notes.size() + 1; }, kWaitMs));
    EXPECT_EQ(ends, std::vector<End>{c.end});
    EXPECT_TRUE(page->isEnabled());
    std::vector<QString> expected = {"Are you sure you want to modify configration?"};
    for (const char* text : c.notes) {
        expected.push_back(TrText(text));
    }
    EXPECT_EQ(notes.Texts(), expected);
    EXPECT_FALSE(page->BatchSheetPath().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Editors, SheetEndingTest,
    ::testing::Values(
        ending_case{"missingProgram",
                    "",
                    0,
                    End::kCouldNotOpen,
                    {kOpenSheetFailText, "Unable to open excel file!"}},
        // Handed to a running instance: open, so no failure is reported.
        ending_case{
            "exitsAtOnce", "exit 0\n", 3600 * 1000, End::kHandedOver, {kSheetHandedOverText}},
        ending_case{"failsAtOnce", "exit 1\n", 3600 * 1000, End::kClosed, {}},
        ending_case{"ranUntilClosed", "exit 0\n", 0, End::kClosed, {}}),
    [](const ::testing::TestParamInfo<ending_case>& info) { return info.param.name; });

// The desktop's default application: xdg-mime names an entry whose Exec line
// gets the sheet.
class DefaultApplicationTest : public BatchSheetOpenerTest {
protected:
    void SetUp() override {
        BatchSheetOpenerTest::SetUp();
        fs::create_directories(folder_.Path() + "bin");
        fs::create_directories(folder_.Path() + "share/applications/vendor");
        opener_.SetHandOverWindow(std::chrono::milliseconds(0));
    }
    void MimeAnswers(const std::string& id) {
        test::WriteScript(folder_.Path() + "bin/", "xdg-mime",
                          "[ \"$*\" = 'query default application/vnd.ms-excel' ] || exit 2\n"
                          "echo '" +
                              id + "'\n");
    }

    EnvScope editor_{CBatchSheetOpener::kEditorVariable, QByteArray()};
    EnvScope path_{"PATH", QByteArray::fromStdString(folder_.Path() + "bin:") + qgetenv("PATH")};
    EnvScope data_home_{"XDG_DATA_HOME", QByteArray::fromStdString(folder_.Path() + "share")};
    EnvScope data_dirs_{"XDG_DATA_DIRS", QByteArray::fromStdString(folder_.Path() + "none")};
};

TEST_F(DefaultApplicationTest, TheEntryXdgMimeNamesOpensTheSheet) {
    fs::create_directories(folder_.Path() + "my office");
    const std::string args = folder_.Path() + "args";
    test::WriteScript(folder_.Path() + "my office/", "calc",
                      "for a in \"$@\"; do echo \"$a\" >> '" + args + "'; done\n");
    std::ofstream(folder_.Path() + "share/applications/vendor/sheets.desktop")
        << "[Desktop Action New]\nExec=wrong\n"
           "[Desktop Entry]\nName=Sheets\nExec=\"" +
               folder_.Path() + "my office/calc\" --view %f --name=%c\n";
    MimeAnswers("vendor-sheets.desktop");
    opener_.Open(QString::fromStdString(sheet_));
    ASSERT_TRUE(WaitForEnd());
    EXPECT_EQ(ends_, std::vector<End>{End::kClosed});
    EXPECT_EQ(ReadWholeFile(args), "--view\n" + sheet_ + "\n--name=Sheets\n");
}

TEST_F(DefaultApplicationTest, NoApplicationForTheTypeCannotOpenTheSheet) {
    for (const char* id : {"", "nobody.desktop"}) {
        SCOPED_TRACE(id);
        ends_.clear();
        MimeAnswers(id);
        NoteRecorder notes;
        opener_.Open(QString::fromStdString(sheet_));
        ASSERT_TRUE(WaitForEnd());
        EXPECT_EQ(ends_, std::vector<End>{End::kCouldNotOpen});
        EXPECT_EQ(notes.Texts(), std::vector<QString>{kOpenSheetFailText});
        EXPECT_TRUE(page_.isEnabled());
    }
}

TEST(DesktopEntryTest, ExecLinesExpandTheirFieldCodesAndQuoting) {
    const desktop_entry_stu entry{"", "Sheets", "sheets-icon"};
    const QString file = "/tmp/my sheets/a.xls";
    struct exec_case {
        const char* exec;
        QStringList command;
    };
    const exec_case cases[] = {
        {"calc %U", {"calc", "file:///tmp/my%20sheets/a.xls"}},
        {"calc --view %f", {"calc", "--view", file}},
        {"calc", {"calc", file}},
        {"\"/opt/My Office/calc\" %F", {"/opt/My Office/calc", file}},
        {"calc %i --title=%c %k",
         {"calc", "--icon", "sheets-icon", "--title=Sheets", "/usr/share/applications/s.desktop",
          file}},
        {"calc 100%% %d %f", {"calc", "100%", file}},
        {"sh -c \"echo \\\"\\$1\\\"\" %f", {"sh", "-c", "echo \"$1\"", file}},
        {"\"calc %f", {}},
        {"", {}},
    };
    for (const exec_case& c : cases) {
        EXPECT_EQ(ExpandExecLine(c.exec, file, entry, "/usr/share/applications/s.desktop"),
                  c.command)
            << c.exec;
    }
}

TEST(DesktopEntryTest, AnIdFindsItsEntryInTheFirstFolderThatHasIt) {
    TempFolder folder;
    for (const char* dir : {"a/vendor", "b"}) {
        fs::create_directories(folder.Path() + dir);
    }
    std::ofstream(folder.Path() + "a/vendor/calc.desktop") << "[Desktop Entry]\nExec=a\n";
    std::ofstream(folder.Path() + "b/vendor-calc.desktop") << "[Desktop Entry]\nExec=b\n";
    const QStringList folders = {QString::fromStdString(folder.Path() + "a"),
                                 QString::fromStdString(folder.Path() + "b")};
    EXPECT_EQ(FindDesktopEntry("vendor-calc.desktop", folders),
              QString::fromStdString(folder.Path() + "a/vendor/calc.desktop"));
    EXPECT_EQ(FindDesktopEntry("vendor-calc.desktop", folders.mid(1)),
              QString::fromStdString(folder.Path() + "b/vendor-calc.desktop"));
    for (const char* bad : {"", "../b/vendor-calc.desktop", "missing.desktop"}) {
        EXPECT_EQ(FindDesktopEntry(bad, folders), QString()) << bad;
    }
}

TEST(FileChoiceTest, ResourceFiltersBecomeQtFilters) {
    struct filter_case {
        const char* paired;
        const char* qt;
    };
    const filter_case cases[] = {
        {"Files (*.xml)|*.xml||", "Files (*.xml)"},
        {"Images (*.png;*.jpg)|*.png;*.jpg|All|*||", "Images (*.png *.jpg);;All (*)"},
        {"No patterns||", ""},
    };
    for (const filter_case& c : cases) {
        EXPECT_EQ(QtFileFilter(QString::fromUtf8(c.paired)), QString::fromUtf8(c.qt)) << c.paired;
    }
}

}  // namespace
}  // namespace plindar
