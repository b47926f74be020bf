// The suite's controls take their pictures from a description as copies of
// their own: the description's bytes go away after the form is built.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "FormText.h"
#include "runtime/forms/Description.h"
#include "runtime/forms/Form.h"
#include "suite/cxControls.h"

namespace {

class TPlainForm : public rtl::TForm {
 public:
  explicit TPlainForm(rtl::TComponent* owner) : TForm(owner) {}
};

void Apply(rtl::TCustomForm& form, const std::string& body, std::vector<std::uint8_t>& data) {
  data = formtext::Compile("object F: TPlainForm\n" + body + "end\n");
  rtl::ApplyDescription(form, rtl::ReadDescription(data));
}

// A form with an image and a button whose description is gone.
class SuiteControls : public ::testing::Test {
 protected:
  void SetUp() override {
    Apply(*form,
          "object img: TcxImage\n Picture.Data = {0A0B0C}\n Properties.Stretch = True\nend\n"
          "object btn: TcxButton\n Glyph.Data = {FF}\nend\n",
          data);
    std::fill(data.begin(), data.end(), 0);  // the description goes away
  }
  rtl::Owned<TPlainForm> form = rtl::Add<TPlainForm>(nullptr);
  std::vector<std::uint8_t> data;
};

TEST_F(SuiteControls, ImageKeepsItsOwnCopyOfThePicture) {
  const auto* image = dynamic_cast<suite::TcxImage*>(form->FindComponent("img"));
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->Picture, (std::vector<std::uint8_t>{0x0A, 0x0B, 0x0C}));
}

TEST_F(SuiteControls, ButtonKeepsItsOwnCopyOfTheGlyph) {
  const auto* button = dynamic_cast<suite::TcxButton*>(form->FindComponent("btn"));
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->Glyph, (std::vector<std::uint8_t>{0xFF}));
}

TEST_F(SuiteControls, TakeAPropertyTheyHave) {
  auto* image = rtl::Add<suite::TcxImage>(*form);
  EXPECT_TRUE(image->SetProperty("Properties.Stretch", rtl::PropertyValue::Identifier("True")));
}

// A name the control does not have is refused, so that a description with a
// misspelt property fails to load instead of being ignored.
TEST_F(SuiteControls, RefuseAPropertyTheyDoNotHave) {
  auto* image = rtl::Add<suite::TcxImage>(*form);
  EXPECT_FALSE(image->SetProperty("Properties.Strech", rtl::PropertyValue::Identifier("True")));
}

}  // namespace
