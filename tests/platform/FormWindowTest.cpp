// The portable half of the windows, through a backend that only records
// what its hooks were asked: the close query and its guard, size clamping,
// border styles, the list of open windows and the key hook.
#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "platform/FormWindow.h"
#include "platform/MessageLoop.h"

namespace lumora::test {
namespace {

class TRecordingWindow final : public TFormWindow {
 public:
  TWindowFrame Frame;
  TWindowSize Size;
  int Hides = 0;
  bool TakesKeys = false;
  int KeysSeen = 0;

 protected:
  void SetCaptionImpl(const String&) override {}
  void SetFrameImpl(const TWindowFrame& frame) override { Frame = frame; }
  void SetSizeImpl(const TWindowSize& size, const TWindowFrame&) override { Size = size; }
  void MoveImpl(int, int) override {}
  void SetStayOnTopImpl(bool) override {}
  void SetMaximizedImpl(bool) override {}
  void SetCenteredImpl(bool) override {}
  void SetContentImpl(void*) override {}
  void RemoveContentImpl(void*) override {}
  void ShowImpl() override {}
  void HideImpl() override { ++Hides; }
  void BringToFrontImpl() override {}
  bool VisibleImpl() const override { return Hides == 0; }
  void MinimizeImpl() override {}
  void RestoreImpl() override {}
  void* NativeHandleImpl() const override { return nullptr; }
  bool PreDispatchKeyImpl(void*) override {
    ++KeysSeen;
    return TakesKeys;
  }
};

TEST(FormWindow, ACloseRequestDuringTheQueryIsTheSameRequest) {
  TRecordingWindow window;
  int queries = 0, closes = 0;
  window.OnCloseQuery = [&] {
    ++queries;
    window.Close();  // the page's window.close while it is asked
    return true;
  };
  window.OnClose = [&] { ++closes; };
  window.Close();
  EXPECT_EQ(queries, 1);
  EXPECT_EQ(closes, 1);
  EXPECT_EQ(window.Hides, 1);

  // A refusal keeps the window; an error in the query leaves it closable.
  window.OnCloseQuery = [] { return false; };
  window.Close();
  EXPECT_EQ(window.Hides, 1);
  window.OnCloseQuery = []() -> bool { throw std::runtime_error("boom"); };
  EXPECT_THROW(window.Close(), std::runtime_error);
  window.OnCloseQuery = nullptr;
  window.Close();
  EXPECT_EQ(window.Hides, 2);
}

TEST(FormWindow, SizesStayInsideTheLimits) {
  TRecordingWindow window;
  window.SetSizeConstraints(200, 800, 100, 0);
  window.SetWidth(50);
  window.SetHeight(5000);
  EXPECT_EQ(window.Size.Width, 200);
  EXPECT_EQ(window.Size.Height, 5000);
  EXPECT_EQ(window.Size.MinWidth, 200);
  EXPECT_EQ(window.Size.MaxWidth, 800);
  window.SetWidth(900);
  EXPECT_EQ(window.Size.Width, 800);
  // A window that is not resizable has its one size as both limits.
  window.SetBorderStyle(bsDialog);
  EXPECT_EQ(window.Size.MinWidth, 800);
  EXPECT_EQ(window.Size.MaxWidth, 800);
  EXPECT_EQ(window.Size.MinHeight, 5000);
  // Limits that cross keep the smallest.
  window.SetBorderStyle(bsSizeable);
  window.SetSizeConstraints(300, 100, 0, 0);
  EXPECT_EQ(window.Size.Width, 300);
}

TEST(FormWindow, BorderStyles) {
  using F = TWindowFrame;
  struct TCase {
    int style;
    F frame;
  };
  const TCase cases[] = {
      {bsNone, {false, false, F::Normal}},
      {bsSingle, {true, false, F::Normal}},
      {bsSizeable, {true, true, F::Normal}},
      {bsDialog, {true, false, F::Dialog}},
      {bsToolWindow, {true, false, F::Utility}},
      {bsSizeToolWin, {true, true, F::Utility}},
      {-1, {true, true, F::Normal}},
      {99, {true, true, F::Normal}},
  };
  for (const TCase& c : cases) {
    TRecordingWindow window;
    window.SetBorderStyle(c.style);
    EXPECT_TRUE(window.Frame == c.frame) << c.style;
  }
}

TEST(FormWindow, OpenWindowsSeeKeysBeforeTheyAreDispatched) {
  const auto isOpen = [](TFormWindow* window) {
    const auto& open = TFormWindow::OpenWindows();
    return std::find(open.begin(), open.end(), window) != open.end();
  };
  TRecordingWindow first;
  TRecordingWindow* gone = nullptr;
  {
    TRecordingWindow second;
    gone = &second;
    EXPECT_TRUE(isOpen(&first));
    EXPECT_TRUE(isOpen(&second));
    second.TakesKeys = true;
    int message = 0;
    EXPECT_TRUE(PreDispatchKeyMessage(&message));
    EXPECT_EQ(first.KeysSeen, 1);
    EXPECT_EQ(second.KeysSeen, 1);
  }
  EXPECT_FALSE(isOpen(gone));
  int message = 0;
  EXPECT_FALSE(PreDispatchKeyMessage(&message));
  EXPECT_EQ(first.KeysSeen, 2);
}

}  // namespace
}  // namespace lumora::test
