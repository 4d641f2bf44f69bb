#include <gtest/gtest.h>

#include "behaviour_rig.h"

namespace behaviourtest {
namespace {

// A download of more than an hour on the line is asked about before the prompt; No leaves
// everything as it was, Yes starts it as usual; a shorter one is never asked about.
TEST(LongDownload, IsAskedAboutAboveAnHourOnlyAndNoLeavesAllAsItWas) {
  BehaviourRig rig;
  rig.WriteValidSettings();
  rig.images.SetImage(transfer::testing::PatternImage(300));
  rig.Create();
  rig.form->PortMenuItemClick("COM1");

  rig.images.SetExtent(transfer::ImageExtent{3'600'000, 0});  // 59 min 35 s
  rig.form->ABeginExecute();
  EXPECT_TRUE(rig.controls.questions.empty());
  EXPECT_TRUE(rig.controls.promptShown);

  rig.controls.promptShown = false;
  const int conversions = rig.images.Conversions();
  rig.images.SetExtent(transfer::ImageExtent{134'217'744, 0x08000000});
  rig.form->ABeginExecute();
  ASSERT_EQ(rig.controls.questions.size(), 1u);
  EXPECT_EQ(rig.controls.questions[0],
            "Загрузка займёт 37 ч 15 мин: образ 134217744 байт, 1048577 блоков. Данные HEX-файла "
            "начинаются с адреса 0x08000000, а образ всегда начинается с адреса 0: всё, что ниже, "
            "будет отправлено байтами 0xFF. Продолжить?");
  EXPECT_EQ(rig.images.Conversions(), conversions);
  EXPECT_FALSE(rig.controls.promptShown);

  rig.controls.answerYes = true;
  rig.images.SetExtent(transfer::ImageExtent{4'000'000, 0});
  rig.form->ABeginExecute();
  ASSERT_EQ(rig.controls.questions.size(), 2u);
  EXPECT_EQ(rig.controls.questions[1],
            "Загрузка займёт 1 ч 7 мин: образ 4000000 байт, 31251 блоков. Продолжить?");
  EXPECT_EQ(rig.images.Conversions(), conversions + 1);
  EXPECT_TRUE(rig.controls.promptShown);
}

}  // namespace
}  // namespace behaviourtest
