#include <gtest/gtest.h>
#include <QTest>
#include "records/language.h"
#include "ui/customize/customize_page.h"
#include "ui/controls/t_button_picture.h"
#include "ui/customize_test_support.h"
namespace plindar {
TEST(Render, Page) {
  for (unsigned lcid : {1033u, 2052u}) {
    InitLanguage(test::StageFolder(), lcid);
    QWidget holder; holder.resize(817, 540);
    auto* page = new CDeviceCustomizationDlg(&holder);
    holder.show(); page->show();
    test::Render(page).save(QString("/tmp/custom_%1_empty.png").arg(lcid));
    page->LogoNameButton()->setText("      company-logo-final.png");
    page->ConfigNameButton()->setText("      ONT_default_configuration.xml");
    page->RelayoutPage();
    QImage img = test::Render(page);
    img.scaled(img.size()*2).save(QString("/tmp/custom_%1_full.png").arg(lcid));
  }
}
}
