// A customization run through the window on a simulated segment: scan, tick
// every device, choose a logo and a configuration file, fill the batch sheet in a
// stand-in spreadsheet program and apply; each device gets its own file.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>

#include "app/main_window.h"
#include "content/batch_sheet.h"
#include "content/config_xml.h"
#include "content/logo_image.h"
#include "protocol/fixed_text.h"
#include "records/language.h"
#include "ui/controls/t_button_picture.h"
#include "ui/crop/avatar_crop_dlg.h"
#include "ui/customize/crop_runner.h"
#include "ui/customize/customize_page.h"
#include "ui/customize_test_support.h"
#include "ui/grid/grid_ctrl.h"
#include "ui/page_test_engine.h"
#include "ui/pages/devices_page.h"

namespace plindar {
namespace {

namespace fs = std::filesystem;
using test::NoteRecorder;
using test::ReadWholeFile;

constexpr uint32_t kDevices = 4;
constexpr int kWaitMs = 40000;

TEST(CustomizeFlowTest, EachDeviceGetsItsOwnRewrittenFileAndTheSameLogo) {
    InitLanguage(test::StageFolder(), kEnglishLcid);
    test::ProgramFolderScope program;
    const std::string folder = program.Path();
    sim_device_options devices;
    devices.count = kDevices;
    devices.store_dir = folder + "received";
    test::CPageTestEngine engine(devices);
    ASSERT_TRUE(engine.ScanNow());
    CApplicationDlg window(TrayMode::kNoTray);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    auto* list = dynamic_cast<CDevicesControlDlg*>(window.Page(PAGE_DEVICES));
    auto* page = dynamic_cast<CDeviceCustomizationDlg*>(window.Page(PAGE_CUSTOMIZE));
    ASSERT_TRUE(list && page);
    window.ShowPage(PAGE_DEVICES);
    list->RefreshDevices(true, true, kColumnMac, QString());
    CGridCtrl* grid = list->Grid();
    ASSERT_EQ(grid->GetRowCount(), int(kDevices) + 1);
    std::vector<std::string> macs;
    for (int row = 1; row <= int(kDevices); ++row) {
        macs.push_back(grid->GetItemText(row, kColumnMac).toStdString());
    }

    // The seams: files the operator picks, and the crop dialog's output.
    std::deque<QString> files = {
        test::WriteSolidPng(folder, "logo.png", QSize(600, 120), QColor(10, 120, 200)), [&] {
            std::ofstream(folder + "config.xml", std::ios::binary) << test::kCustomizeConfigXml;
            return QString::fromStdString(folder + "config.xml");
        }()};
    page->SetFileChooser([&](QWidget*, const QString&) {
        std::optional<QString> answer = files.front();
        files.pop_front();
        return answer;
    });
    // The real cropping dialog, answered with Apply on the box where it opens.
    std::string cropped;
    page->SetCropRunner([&](const QString& source, QWidget* owner) -> std::optional<QString> {
        QTimer::singleShot(0, [] {
            if (auto* crop = qobject_cast<CAvatarCropDlg*>(QApplication::activeModalWidget())) {
                QTest::mouseClick(crop->ApplyButton(), Qt::LeftButton);
            }
        });
        std::optional<QString> output = RunCropDialog(source, owner);
        if (output) {
            cropped = output->toStdString();
        }
        return output;
    });

    // Tick every device and open the page; Cancel goes back and keeps the logo.
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->CellRect(0, 0).center());
    QTest::mouseClick(list->CustomizeButton(), Qt::LeftButton);
    ASSERT_EQ(CApplicationApp::GetApp()->current_page, PAGE_CUSTOMIZE);
    EXPECT_EQ(page->SelectedDevices(), macs);
    QTest::mouseClick(page->LogoSelectButton(), Qt::LeftButton);
    ASSERT_TRUE(page->LogoChosen());
    QTest::mouseClick(page->CancelButton(), Qt::LeftButton);
    ASSERT_EQ(CApplicationApp::GetApp()->current_page, PAGE_DEVICES);
    ASSERT_EQ(list->TickedCount(), int(kDevices));
    QTest::mouseClick(list->CustomizeButton(), Qt::LeftButton);
    ASSERT_EQ(CApplicationApp::GetApp()->current_page, PAGE_CUSTOMIZE);
    EXPECT_TRUE(page->LogoChosen());
    QTest::mouseClick(page->ConfigSelectButton(), Qt::LeftButton);
    ASSERT_TRUE(page->ConfigChosen());

    // The operator's values, one row per device in the list's order.
    custom_value_stu templ{};
    ASSERT_TRUE(ParseTemplateXml(folder + "config.xml", &templ));
    ap_info_stu first{};
    engine.Store().GetDeviceByMac(macs.front(), &first);
    const bool wireless = DecideWirelessColumns(first);
    ASSERT_TRUE(wireless) << "the simulated devices report both SSIDs";
    std::vector<test::sheet_row_values> rows;
    for (size_t i = 0; i < kDevices; ++i) {
        const std::string n = std::to_string(i + 1);
        rows.push_back({{BATCH_FIELD_LOID, "loid-of-" + n},
                        {BATCH_FIELD_LOGIN_PASSWORD, "admin" + n},
                        {BATCH_FIELD_SSID_2_4G, "ssid-of-" + n},
                        {BATCH_FIELD_WLAN_PSK_2_4G, "key-of-device-" + n}});
    }
    ASSERT_TRUE(test::WriteFilledSheet(folder + "filled.xls", templ, wireless, macs, rows));
    std::ofstream(folder + "release");
    const std::string filler =
        test::WriteSheetFiller(folder, folder + "filled.xls", folder + "runs", folder + "release");
    qputenv(CBatchSheetOpener::kEditorVariable, QByteArray::fromStdString(filler));
    page->SheetOpener()->SetHandOverWindow(std::chrono::milliseconds(0));

    NoteRecorder notes;
    QTest::mouseClick(page->ConfigNameButton(), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return test::CountLines(folder + "runs") == 1 && page->isEnabled(); }, kWaitMs));
    QTest::mouseClick(page->ApplyButton(), Qt::LeftButton);
    qunsetenv(CBatchSheetOpener::kEditorVariable);
    EXPECT_EQ(CApplicationApp::GetApp()->current_page, PAGE_DEVICES);
    EXPECT_EQ(page->RunMode(), kRunBoth);

    auto received = [&](const std::string& mac, const char* what) {
        std::string bare = mac;
        bare.erase(std::remove(bare.begin(), bare.end(), ':'), bare.end());
        const std::string path = folder + "received/" + bare + "/" + what;
        return fs::exists(path) ? ReadWholeFile(path) : std::string();
    };
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            for (const std::string& mac : macs) {
                if (received(mac, "para.1").empty() || received(mac, "logo.1").empty()) {
                    return false;
                }
            }
            return true;
        },
        kWaitMs));
    ASSERT_FALSE(cropped.empty());
    const std::string jpeg = ReadWholeFile(cropped);
    ASSERT_EQ(jpeg.substr(0, 2), "\xFF\xD8");
    for (size_t i = 0; i < kDevices; ++i) {
        SCOPED_TRACE(macs[i]);
        const std::string file = received(macs[i], "para.1");
        const std::string n = std::to_string(i + 1);
        EXPECT_NE(file.find("<Value Name=\"LOID\" Value=\"loid-of-" + n + "\"/>"),
                  std::string::npos)
            << file;
        EXPECT_NE(file.find("<Value Name=\"ssid\" Value=\"ssid-of-" + n + "\"/>"),
                  std::string::npos)
            << file;
        EXPECT_EQ(file, ReadWholeFile(DeviceXmlPath(folder, macs[i])));
        EXPECT_EQ(received(macs[i], "logo.1"), jpeg);
        EXPECT_EQ(received(macs[i], "para.2"), "");
    }
    // The device list follows the run to every device's success.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            for (int row = 1; row <= int(kDevices); ++row) {
                if (grid->GetItemImage(row, kColumnStatus) != kIconSuccess) {
                    return false;
                }
            }
            return true;
        },
        kWaitMs));
    EXPECT_EQ(notes.Texts(),
              (std::vector<QString>{"Are you sure you want to modify configration?",
                                    "Are you sure you want to submit logo and configration?"}));
}

}  // namespace
}  // namespace plindar
