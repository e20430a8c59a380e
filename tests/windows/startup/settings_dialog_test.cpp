// The settings dialog as Veilmark.exe shows it when no path is stored: frame,
// layout at the screen's resolution, font, keyboard focus and tab order.
#include "veilmark_windows.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

const wchar_t kLabelCaption[] = L"Путь к файлу настроек Privoxy:";

int dpi(int axis) {
  const HDC screen = GetDC(nullptr);
  const int value = GetDeviceCaps(screen, axis);
  ReleaseDC(nullptr, screen);
  return value;
}

int pixelsX(int twips) { return static_cast<int>(std::lround(twips * dpi(LOGPIXELSX) / 1440.0)); }
int pixelsY(int twips) { return static_cast<int>(std::lround(twips * dpi(LOGPIXELSY) / 1440.0)); }

// Height of the label's caption wrapped to its width in Tahoma 9 pt.
int wrappedCaptionHeight(int width) {
  LOGFONTW font = {};
  font.lfHeight = -static_cast<LONG>(std::lround(9 * dpi(LOGPIXELSY) / 72.0));
  font.lfWeight = FW_NORMAL;
  font.lfCharSet = RUSSIAN_CHARSET;
  wcscpy(font.lfFaceName, L"Tahoma");
  const HFONT tahoma = CreateFontIndirectW(&font);
  const HDC screen = GetDC(nullptr);
  const HGDIOBJ previous = SelectObject(screen, tahoma);
  RECT text = {0, 0, width, 0};
  DrawTextW(screen, kLabelCaption, -1, &text, DT_CALCRECT | DT_WORDBREAK);
  SelectObject(screen, previous);
  ReleaseDC(nullptr, screen);
  DeleteObject(tahoma);
  return text.bottom;
}

RECT placeInClient(HWND control, HWND dialog) {
  RECT place;
  GetWindowRect(control, &place);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&place), 2);
  return place;
}

class SettingsDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    clearSettings();
    dialog_ = settingsDialog(veilmark_);
    ASSERT_NE(dialog_, nullptr);
  }
  void TearDown() override {
    click(button(dialog_, L"Отмена"));
    veilmark_.answerMessageBox();
    EXPECT_TRUE(veilmark_.waitForExit());
  }

  Program veilmark_{veilmarkPath()};
  HWND dialog_ = nullptr;
};

TEST_F(SettingsDialog, IsAFixedDialogOwnedByTheHiddenApplicationWindow) {
  const LONG_PTR style = GetWindowLongPtrW(dialog_, GWL_STYLE);
  EXPECT_TRUE(IsWindowVisible(dialog_));
  EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
  EXPECT_TRUE(GetWindowLongPtrW(dialog_, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME);

  const HWND owner = GetWindow(dialog_, GW_OWNER);
  EXPECT_EQ(className(owner), kApplicationClass);
  EXPECT_EQ(textOf(owner), kTitle);
  EXPECT_FALSE(IsWindowVisible(owner));

  RECT frame, workArea;
  GetWindowRect(dialog_, &frame);
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0);
  EXPECT_NEAR(frame.left + frame.right, workArea.left + workArea.right, 2);
  EXPECT_NEAR(frame.top + frame.bottom, workArea.top + workArea.bottom, 2);
}

TEST_F(SettingsDialog, LayoutIsTheTwipsLayoutAtTheScreenResolution) {
  RECT client;
  GetClientRect(dialog_, &client);
  EXPECT_EQ(client.right, pixelsX(6015));
  EXPECT_EQ(client.bottom, pixelsY(1755));

  const struct {
    const wchar_t* windowClass;
    const wchar_t* caption;
    int left, top, width, height;  // twips; height 0: follows the caption
    LONG_PTR style;
  } controls[] = {
      {L"Static", kLabelCaption, 180, 120, 1590, 0, 0},
      {L"Edit", L"", 120, 660, 5355, 350, ES_AUTOHSCROLL},
      {L"Button", L"...", 5520, 660, 375, 350, BS_PUSHBUTTON},
      {L"Button", L"Ok", 3000, 1200, 1395, 435, BS_DEFPUSHBUTTON},
      {L"Button", L"Отмена", 4500, 1200, 1395, 435, BS_PUSHBUTTON},
  };
  for (const auto& control : controls) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(control.windowClass) + L" " + control.caption));
    const HWND window = findChild(dialog_, control.windowClass, control.caption);
    ASSERT_NE(window, nullptr);
    const RECT place = placeInClient(window, dialog_);
    EXPECT_EQ(place.left, pixelsX(control.left));
    EXPECT_EQ(place.top, pixelsY(control.top));
    EXPECT_EQ(place.right - place.left, pixelsX(control.width));
    const int height = control.height ? pixelsY(control.height) : wrappedCaptionHeight(pixelsX(control.width));
    EXPECT_EQ(place.bottom - place.top, height);
    const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
    const std::wstring windowClass = control.windowClass;
    if (windowClass == L"Button") {
      EXPECT_EQ(style & BS_TYPEMASK, control.style);
    } else if (windowClass == L"Edit") {
      EXPECT_EQ(style & (ES_AUTOHSCROLL | ES_MULTILINE), control.style);
    }
  }
  // Two lines at least: the caption does not fit the label's width.
  const HWND label = findChild(dialog_, L"Static", kLabelCaption);
  const RECT labelPlace = placeInClient(label, dialog_);
  EXPECT_GT(labelPlace.bottom - labelPlace.top, wrappedCaptionHeight(100000));
}

TEST_F(SettingsDialog, TabGoesRoundInCreationOrderAndTheTextBoxSelectsAllOnFocus) {
  const HWND text = textBox(dialog_);
  EXPECT_EQ(veilmark_.focus(dialog_), text);

  const std::wstring typed = L"C:\\Privoxy\\config.txt";
  SendMessageW(text, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(typed.c_str()));
  SendMessageW(text, EM_SETSEL, 3, 3);
  const HWND expected[] = {button(dialog_, L"..."), button(dialog_, L"Ok"), button(dialog_, L"Отмена"), text};
  for (HWND next : expected) {
    SCOPED_TRACE(testing::PrintToString(textOf(next)));
    const HWND before = veilmark_.focus(dialog_);
    pressKey(before, VK_TAB);
    ASSERT_TRUE(waitUntil([&] { return veilmark_.focus(dialog_) == next; }));
  }
  const LRESULT selection = SendMessageW(text, EM_GETSEL, 0, 0);
  EXPECT_EQ(LOWORD(selection), 0);
  EXPECT_EQ(HIWORD(selection), typed.size());
}

}  // namespace
