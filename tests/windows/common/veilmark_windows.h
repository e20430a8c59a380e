// What a user of Veilmark.exe sees: its windows and its messages.
#pragma once

#include "program_driver.h"

inline const wchar_t kFormClass[] = L"OxlenForm";
// The hidden window that stands for the whole program, captioned kTitle.
inline const wchar_t kApplicationClass[] = L"OxlenApplicationWindow";
inline const wchar_t kTitle[] = L"Oxlen - Veilmark";
inline const wchar_t kSettingsCaption[] = L"Настройки";
inline const wchar_t kMainCaption[] = L"Veilmark";
inline const wchar_t kNoPathMessage[] =
    L"Вы не ввели имя файла настроек Privoxy. Продолжение не возможно - всё равно программе работать не с чем ^^";
inline const wchar_t kReadFailedMessage[] = L"Не удаётся прочитать файл настроек Privoxy.";
inline const wchar_t kEmptyPathWarning[] = L"Вы не ввели имя файла настроек Privoxy. Оно останется прежним.";

inline std::wstring veilmarkPath() { return besideTests(L"Veilmark.exe"); }

inline HWND settingsDialog(const Program& veilmark) { return veilmark.waitForWindow(kFormClass, kSettingsCaption); }
inline HWND textBox(HWND dialog) { return FindWindowExW(dialog, nullptr, L"Edit", nullptr); }
inline HWND button(HWND dialog, const std::wstring& caption) { return findChild(dialog, L"Button", caption); }
