// The adjustment dialog with a part of the picture selected: the live apply
// and OK change only the inside; the reduced preview shows the whole.
#include <QCheckBox>
#include <memory>

#include "AdjustTestSupport.h"
#include "LumbraButton.h"
#include "cFilterDIB.h"

namespace adjust_test {
namespace {

using orvane::CurrentImage;
using orvane::frmAdjust;
using orvane::PixelRect;

struct SelectingShell : RecordingShell {
  std::optional<PixelRect> selection;
  std::optional<PixelRect> Selection() override { return selection; }
};

class AdjustSelection : public AdjustFixture {
 protected:
  void SetUp() override {
    AdjustFixture::SetUp();
    selecting.selection = PixelRect{10, 8, 21, 15};
    orvane::InstallShell(&selecting);
  }

  // Inside the selection the bytes of `whole`, outside those of the original.
  std::vector<uint8_t> Expected(void (*op)(CDIB&)) {
    CDIB whole;
    CopyInto(whole, CurrentImage());
    std::memcpy(whole.DIBPointer(), original.data(), original.size());
    op(whole);
    std::vector<uint8_t> out = original;
    const PixelRect& r = *selecting.selection;
    for (int y = r.y; y < r.bottom(); ++y) {
      const size_t row = size_t(whole.Height() - 1 - y) * whole.SRB();
      std::memcpy(out.data() + row + 3 * r.x, whole.DIBPointer() + row + 3 * r.x, 3 * size_t(r.width));
    }
    return out;
  }

  SelectingShell selecting;
};

TEST_F(AdjustSelection, LiveApplyAndOkChangeOnlyTheInside) {
  auto dlg = std::make_unique<frmAdjust>();
  dlg->AdjustType = 1;  // brightness and contrast
  dlg->Load();
  Settle(*dlg);
  Slider(*dlg, "HSBright")->setValue(45);
  Settle(*dlg);
  const auto expected = Expected([](CDIB& c) {
    orvane::FilterObject().Brightness(c, 45);
    orvane::FilterObject().Contrast(c, 100);
  });
  EXPECT_NE(expected, original);
  EXPECT_EQ(Bytes(CurrentImage()), expected);
  emit dlg->okButton()->Click();
  EXPECT_EQ(Bytes(CurrentImage()), expected);
}

TEST_F(AdjustSelection, OkWithoutPreviewAlsoKeepsToTheInside) {
  auto dlg = std::make_unique<frmAdjust>();
  dlg->AdjustType = 1;
  dlg->previewCheck()->setChecked(false);
  dlg->Load();
  Settle(*dlg);
  Slider(*dlg, "HSBright")->setValue(-30);
  Settle(*dlg);
  EXPECT_EQ(Bytes(CurrentImage()), original);
  emit dlg->okButton()->Click();
  EXPECT_EQ(Bytes(CurrentImage()), Expected([](CDIB& c) {
              orvane::FilterObject().Brightness(c, -30);
              orvane::FilterObject().Contrast(c, 100);
            }));
}

}  // namespace
}  // namespace adjust_test
