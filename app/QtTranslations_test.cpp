#include "app/QtTranslations.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QPushButton>

namespace sarvane::app {
namespace {

// The standard dialogs speak Japanese once the translations are in; taking
// the translator away gives Qt's English back, so later tests see the
// application as they expect it.
TEST(QtTranslations, StandardButtonsAreJapanese) {
  QDialogButtonBox before(QDialogButtonBox::Cancel);
  ASSERT_EQ(before.button(QDialogButtonBox::Cancel)->text().toStdString(), "Cancel");
  {
    std::unique_ptr<QTranslator> translator = InstallQtTranslations();
    ASSERT_NE(translator, nullptr) << "Qt's Japanese translations are not installed (qt6-translations-l10n)";
    QDialogButtonBox box(QDialogButtonBox::Cancel | QDialogButtonBox::Open);
    EXPECT_EQ(box.button(QDialogButtonBox::Cancel)->text().toStdString(), "キャンセル");
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Look in:").toStdString(), "アドレス:");
  }
  QDialogButtonBox after(QDialogButtonBox::Cancel);
  EXPECT_EQ(after.button(QDialogButtonBox::Cancel)->text().toStdString(), "Cancel");
}

}  // namespace
}  // namespace sarvane::app
