// OXLENSUPPORT0100: the support library shared by Veilmark and Lumicon.
//
// The boundary is C/COM style. Every function except oxCallFunction_4_4
// returns a status (an HRESULT: negative = failure) and hands its result back
// through its last argument. A failing call also leaves a COM error object
// (SetErrorInfo) whose description says what went wrong; oxlensupport.hpp turns
// both into an ox::Error.
//
// Strings are UTF-16. Strings handed out are BSTRs the caller frees. Booleans
// are VARIANT_BOOL (True = -1).
#pragma once

#include <windows.h>
#include <ole2.h>
#include <olectl.h>

#ifdef OXLENSUPPORT_BUILD
#define OX_EXPORT extern "C" __declspec(dllexport)
#else
#define OX_EXPORT extern "C" __declspec(dllimport)
#endif
#define OXAPI OX_EXPORT HRESULT WINAPI

// Window class of the runtime's hidden top-level application window; its
// caption is the application title.
#define OX_APP_WINDOW_CLASS L"OxlenApplicationWindow"

// ---- Functions --------------------------------------------------------------

// Prepares the process: DLLs are looked up in the program's folder, never in
// the current directory. *result is 1.
OXAPI oxRegisterAppPath(LONG* result);
// True only inside a development environment; never for a built program.
OXAPI oxIsInIDE(VARIANT_BOOL* result);
// The runtime's hidden application window of the calling thread.
OXAPI oxGetThunderMainHandle(HWND* result);
// Sets the window's big and small icons from the program's icon group.
OXAPI oxSetWindowResIconAll(HWND window, LPCWSTR resourceName);
OXAPI oxSetForegroundWindowEx(HWND window, LONG* result);
// Text of a resource of the program; UTF-8 when valid, else the ANSI code page.
OXAPI oxLoadResTextA(LPCWSTR name, LPCWSTR type, BSTR* result);
OXAPI oxBuildFileName(LPCWSTR folder, LPCWSTR fileName, BSTR* result);
// Unloads the form that owns the window (sends it WM_CLOSE).
OXAPI oxUnloadForm(HWND window);
OXAPI oxCenterFormEx(HWND window, LONG* result);
OXAPI oxHighlightText(HWND edit);
// Small (notification area sized) icon of the program as a picture object.
OXAPI oxLoadResTrayIcon(LPCWSTR name, IPictureDisp** result);
OXAPI oxLoadResTrayIconEx(LPCWSTR name, HINSTANCE module, IPictureDisp** result);
// Number of the registered message "TaskbarCreated", let through the message
// filter of an elevated process; 0 when not available.
OXAPI oxGet_WM_TASKBAR_CREATED(UINT* result);
OXAPI oxObjectRelease(IUnknown* object, LONG* result);
OXAPI oxObjectAddRef(IUnknown* object, LONG* result);
// Eight upper-case hexadecimal digits.
OXAPI oxHexEx4(DWORD value, BSTR* result);
// One diagnostic line, through OutputDebugString.
OXAPI oxDebugPrint(LPCWSTR text);
// Calls function(argument) and returns its result unchanged.
OX_EXPORT LONG WINAPI oxCallFunction_4_4(FARPROC function, LONG_PTR argument);

// ---- Classes ----------------------------------------------------------------

// A run of bytes that a caller owns, for calls that take a file in pieces.
struct OxBytes {
  const char* data;
  SIZE_T size;
};

// The running program, as the runtime describes it.
struct IOxApplication : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE get_Title(BSTR* result) = 0;        // "Oxlen - Veilmark"
  virtual HRESULT STDMETHODCALLTYPE get_ProductName(BSTR* result) = 0;  // "Veilmark"
  virtual HRESULT STDMETHODCALLTYPE get_Version(BSTR* result) = 0;      // "1.0.0"
  virtual HRESULT STDMETHODCALLTYPE get_Path(BSTR* result) = 0;         // program folder
};
__CRT_UUID_DECL(IOxApplication, 0x5b0e2d61, 0x3c4a, 0x4f8e, 0x9a, 0x11, 0x60, 0x2b, 0x7c, 0x93, 0xd4, 0x01)

struct IOxInstanceGuard : IUnknown {
  // True when no other running process holds the key; the key stays held
  // while this object lives.
  virtual HRESULT STDMETHODCALLTYPE IsFirstInstance(LPCWSTR key, VARIANT_BOOL* result) = 0;
};
__CRT_UUID_DECL(IOxInstanceGuard, 0x5b0e2d61, 0x3c4a, 0x4f8e, 0x9a, 0x11, 0x60, 0x2b, 0x7c, 0x93, 0xd4, 0x02)

// Values under HKCU\Software\Oxlen\<application title>[\section].
struct IOxSettingsStore : IUnknown {
  // scope 0: the current user. perApplication: True puts the section under
  // the application's title. status: 0 found, 1 default used.
  virtual HRESULT STDMETHODCALLTYPE GetValue(LPCWSTR section, LPCWSTR key, LONG scope, IOxApplication* app,
                                             const VARIANT* defaultValue, VARIANT_BOOL perApplication,
                                             LONG* status, VARIANT* result) = 0;
  virtual HRESULT STDMETHODCALLTYPE SaveValue(LPCWSTR section, LPCWSTR key, LONG scope, const VARIANT* value,
                                              IOxApplication* app, VARIANT_BOOL perApplication, LONG* result) = 0;
};
__CRT_UUID_DECL(IOxSettingsStore, 0x5b0e2d61, 0x3c4a, 0x4f8e, 0x9a, 0x11, 0x60, 0x2b, 0x7c, 0x93, 0xd4, 0x03)

// Whole-file text I/O that gives back every byte it read. Valid UTF-8 (with
// or without BOM) is decoded; any other file keeps ASCII as characters and
// carries every other byte b as U+DC00 + b, a lone low surrogate. Writing
// reverses this; text without such escapes is written as UTF-8, text with them
// writes other non-ASCII characters in the ANSI code page. WriteAll replaces
// the file atomically and always moves its modification time forward.
// ReadBytes and WriteBytes do the same with the bytes themselves, for a caller
// that keeps the file in its own encoding.
struct IOxBackedUpFile;

struct IOxTextFile : IUnknown {
  // failIfMissing False: a missing file reads as empty text.
  virtual HRESULT STDMETHODCALLTYPE ReadAll(LPCWSTR path, VARIANT_BOOL failIfMissing, BSTR* text) = 0;
  // overwrite False: fails when the file exists. *result: bytes written.
  virtual HRESULT STDMETHODCALLTYPE WriteAll(LPCWSTR path, BSTR text, VARIANT_BOOL overwrite, LONG* result) = 0;
  // *bytes: a BSTR of bytes (SysStringByteLen). UTF-16 files are refused as by ReadAll.
  virtual HRESULT STDMETHODCALLTYPE ReadBytes(LPCWSTR path, VARIANT_BOOL failIfMissing, BSTR* bytes) = 0;
  // The file holds the pieces one after another.
  virtual HRESULT STDMETHODCALLTYPE WriteBytes(LPCWSTR path, const OxBytes* pieces, ULONG count,
                                               VARIANT_BOOL overwrite, LONG* result) = 0;
  // Opens a file that must exist, to read it and then replace it while
  // backupPath comes to hold exactly the bytes read (see IOxBackedUpFile).
  virtual HRESULT STDMETHODCALLTYPE OpenKeepingBackup(LPCWSTR path, LPCWSTR backupPath,
                                                     IOxBackedUpFile** file) = 0;
  // Deletes what writes ended midway (a crash, a kill) left in the folder of
  // `path`: their temporary files, and nothing else.
  virtual HRESULT STDMETHODCALLTYPE RemoveLeftovers(LPCWSTR path) = 0;
};
__CRT_UUID_DECL(IOxTextFile, 0x5b0e2d61, 0x3c4a, 0x4f8e, 0x9a, 0x11, 0x60, 0x2b, 0x7c, 0x93, 0xd4, 0x04)

// A file opened by IOxTextFile::OpenKeepingBackup. Where the file system and
// the file allow it, the backup becomes the old data's own name once the file
// is replaced, so the bytes are written once; elsewhere it is a copy. The
// backup and the file never share their data, whatever fails or ends the
// process: the file is the old or the new bytes, the backup the earlier
// backup or the bytes read.
struct IOxBackedUpFile : IUnknown {
  // The bytes as ReadBytes gives them.
  virtual HRESULT STDMETHODCALLTYPE ReadBytes(BSTR* bytes) = 0;
  // Replaces the file (as WriteBytes would) with the pieces, and the backup
  // with `read`, the bytes that ReadBytes gave. *backupFailed: True when the
  // failure was the backup's; the file is then untouched, unless the
  // backup's last step failed after the file was replaced.
  virtual HRESULT STDMETHODCALLTYPE Replace(BSTR read, const OxBytes* pieces, ULONG count,
                                            VARIANT_BOOL* backupFailed) = 0;
};
__CRT_UUID_DECL(IOxBackedUpFile, 0x5b0e2d61, 0x3c4a, 0x4f8e, 0x9a, 0x11, 0x60, 0x2b, 0x7c, 0x93, 0xd4, 0x0b)

struct IOxMessageDialogs : IUnknown {
  // One box: the message, then the error's number and description; caption is
  // the application title. owner may be 0. flags: reserved, 0.
  virtual HRESULT STDMETHODCALLTYPE ShowError(LONG number, LPCWSTR description, LONG style, HWND owner,
                                              LPCWSTR message, LONG flags, LONG* result) = 0;
  // Modal About box: program icon, title, version, description, dedication.
  virtual HRESULT STDMETHODCALLTYPE ShowAbout(HWND owner, IOxApplication* app, LPCWSTR description,
                                              IPictureDisp* picture, LPCWSTR dedication, LONG* result) = 0;
};
__CRT_UUID_DECL(IOxMessageDialogs, 0x5b0e2d61, 0x3c4a, 0x4f8e, 0x9a, 0x11, 0x60, 0x2b, 0x7c, 0x93, 0xd4, 0x05)

struct IOxHttpSettings : IUnknown {
  // 0: the system's configured proxy settings; 1: direct; 2: the proxy given to Send.
  virtual HRESULT STDMETHODCALLTYPE put_Mode(LONG mode) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Mode(LONG* mode) = 0;
};
__CRT_UUID_DECL(IOxHttpSettings, 0x5b0e2d61, 0x3c4a, 0x4f8e, 0x9a, 0x11, 0x60, 0x2b, 0x7c, 0x93, 0xd4, 0x06)

// The answer to a request.
struct IOxHttpData : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE get_StatusCode(LONG* result) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Headers(BSTR* result) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Body(BSTR* result) = 0;  // bytes as Latin-1 characters
};
__CRT_UUID_DECL(IOxHttpData, 0x5b0e2d61, 0x3c4a, 0x4f8e, 0x9a, 0x11, 0x60, 0x2b, 0x7c, 0x93, 0xd4, 0x07)

struct IOxHttpRequest : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE putref_Settings(IOxHttpSettings* settings) = 0;
  // User agent "<product>/<version>".
  virtual HRESULT STDMETHODCALLTYPE IdentityFromApp(IOxApplication* app, BSTR* result) = 0;
  // Returns when the answer is in or timeoutMs has passed, whatever happens.
  // *status: the HTTP status, or a negative HRESULT when no answer came.
  virtual HRESULT STDMETHODCALLTYPE Send(LPCWSTR host, LONG port, LPCWSTR method, LPCWSTR path, LPCWSTR version,
                                         LPCWSTR headers, const BYTE* body, LONG bodyLength, LONG timeoutMs,
                                         LPCWSTR userAgent, IOxHttpData* response, LPCWSTR proxyHost,
                                         LONG proxyPort, VARIANT_BOOL noCache, VARIANT_BOOL noCookies,
                                         LONG secure, LPCWSTR userName, LPCWSTR password, LONG* status) = 0;
};
__CRT_UUID_DECL(IOxHttpRequest, 0x5b0e2d61, 0x3c4a, 0x4f8e, 0x9a, 0x11, 0x60, 0x2b, 0x7c, 0x93, 0xd4, 0x08)

// Start with Windows: HKCU\Software\Microsoft\Windows\CurrentVersion\Run,
// value name = key, data = the quoted full path of the running program.
struct IOxAutoRun : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE IsEnabled(LPCWSTR key, VARIANT_BOOL* result) = 0;
  // scope 0: the current user.
  virtual HRESULT STDMETHODCALLTYPE Enable(LPCWSTR key, LONG scope, LONG* result) = 0;
  virtual HRESULT STDMETHODCALLTYPE Disable(LPCWSTR key, LONG* result) = 0;
};
__CRT_UUID_DECL(IOxAutoRun, 0x5b0e2d61, 0x3c4a, 0x4f8e, 0x9a, 0x11, 0x60, 0x2b, 0x7c, 0x93, 0xd4, 0x09)

struct IOxFileDialog : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE put_InitialFileName(LPCWSTR value) = 0;
  // "name|pattern|name|pattern..."
  virtual HRESULT STDMETHODCALLTYPE put_Filter(LPCWSTR value) = 0;
  // 0 selects the first pair.
  virtual HRESULT STDMETHODCALLTYPE put_FilterIndex(LONG value) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_OwnerWindow(HWND value) = 0;
  virtual HRESULT STDMETHODCALLTYPE ShowOpen(VARIANT_BOOL* chosen) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_FileName(BSTR* result) = 0;
};
__CRT_UUID_DECL(IOxFileDialog, 0x5b0e2d61, 0x3c4a, 0x4f8e, 0x9a, 0x11, 0x60, 0x2b, 0x7c, 0x93, 0xd4, 0x0a)

// One factory per class.
OXAPI oxCreateInstanceGuard(IOxInstanceGuard** result);
OXAPI oxCreateSettingsStore(IOxSettingsStore** result);
OXAPI oxCreateTextFile(IOxTextFile** result);
OXAPI oxCreateMessageDialogs(IOxMessageDialogs** result);
OXAPI oxCreateHttpSettings(IOxHttpSettings** result);
OXAPI oxCreateHttpRequest(IOxHttpRequest** result);
OXAPI oxCreateHttpData(IOxHttpData** result);
OXAPI oxCreateAutoRun(IOxAutoRun** result);
OXAPI oxCreateFileDialog(IOxFileDialog** result);
