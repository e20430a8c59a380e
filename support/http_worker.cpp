#include "http_worker.h"

#include <wininet.h>

#include <atomic>

#include "errors.h"
#include "handles.h"

namespace oxs {
namespace {

// Shared by the caller and the worker thread, which may outlive the call.
class HttpJob {
 public:
  explicit HttpJob(const HttpCall& call) : call_(call), done_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    checkWin32(done_ != nullptr, L"CreateEvent");
    InitializeCriticalSection(&lock_);
  }
  HttpJob(const HttpJob&) = delete;
  HttpJob& operator=(const HttpJob&) = delete;
  ~HttpJob() { DeleteCriticalSection(&lock_); }

  void addRef() { ++references_; }
  void release() {
    if (--references_ == 0) delete this;
  }

  // Waits for the worker; past the time-out the handles are closed, which
  // makes a blocked WinINet call give up, and the answer is left to itself.
  bool waitFor(DWORD timeoutMs) {
    if (WaitForSingleObject(done_.get(), timeoutMs) == WAIT_OBJECT_0) return true;
    Lock lock(lock_);
    abandoned_ = true;
    closeHandles();
    return false;
  }

  const HttpAnswer& answer() const { return answer_; }

  static DWORD WINAPI workerMain(void* parameter) {
    auto* job = static_cast<HttpJob*>(parameter);
    HMODULE pinned = job->pinnedModule_;
    job->run();
    {
      Lock lock(job->lock_);
      job->closeHandles();
    }
    SetEvent(job->done_.get());
    job->release();
    FreeLibraryAndExitThread(pinned, 0);
  }

  // Starts the worker with its own reference to the job and to this library.
  void start() {
    checkWin32(GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&workerMain),
                                  &pinnedModule_),
               L"GetModuleHandleEx");
    addRef();
    const UniqueHandle thread(CreateThread(nullptr, 0, workerMain, this, 0, nullptr));
    if (!thread) {
      const DWORD error = GetLastError();
      release();
      FreeLibrary(pinnedModule_);
      failWin32(error, L"CreateThread");
    }
  }

 private:
  class Lock {
   public:
    explicit Lock(CRITICAL_SECTION& section) : section_(section) { EnterCriticalSection(&section_); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;
    ~Lock() { LeaveCriticalSection(&section_); }

   private:
    CRITICAL_SECTION& section_;
  };

  enum Slot { kSession, kConnection, kRequest, kSlots };

  // Records a handle for closing; false (and closed) once the caller gave up.
  HINTERNET keep(Slot slot, HINTERNET handle, const wchar_t* step) {
    checkWin32(handle, step);
    Lock lock(lock_);
    if (abandoned_) {
      InternetCloseHandle(handle);
      failWin32(ERROR_INTERNET_OPERATION_CANCELLED, step);
    }
    handles_[slot] = handle;
    return handle;
  }
  void closeHandles() {
    for (int slot = kSlots - 1; slot >= 0; --slot) {
      if (handles_[slot]) InternetCloseHandle(handles_[slot]);
      handles_[slot] = nullptr;
    }
  }

  void run() {
    try {
      exchange();
    } catch (...) {
      const ox::Error error = ox::currentError();
      answer_.status = FAILED(error.number) ? error.number : E_FAIL;
      answer_.failure = error.description;
    }
  }

  void exchange() {
    static const DWORD kAccess[] = {INTERNET_OPEN_TYPE_PRECONFIG, INTERNET_OPEN_TYPE_DIRECT,
                                    INTERNET_OPEN_TYPE_PROXY};
    const bool viaProxy = call_.mode == 2;
    HINTERNET session = keep(kSession,
                             InternetOpenW(call_.userAgent.c_str(), kAccess[call_.mode],
                                           viaProxy ? call_.proxy.c_str() : nullptr, nullptr, 0),
                             L"InternetOpen");
    for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT,
                         INTERNET_OPTION_RECEIVE_TIMEOUT}) {
      DWORD timeout = call_.timeoutMs;
      InternetSetOptionW(session, option, &timeout, sizeof timeout);
    }
    const std::wstring target = call_.host + L":" + std::to_wstring(call_.port);
    HINTERNET connection =
        keep(kConnection,
             InternetConnectW(session, call_.host.c_str(), call_.port,
                              call_.userName ? call_.userName->c_str() : nullptr,
                              call_.password ? call_.password->c_str() : nullptr, INTERNET_SERVICE_HTTP, 0, 0),
             target.c_str());
    HINTERNET request = keep(kRequest,
                             HttpOpenRequestW(connection, call_.method.c_str(), call_.path.c_str(),
                                              call_.version.empty() ? nullptr : call_.version.c_str(), nullptr,
                                              nullptr, call_.flags, 0),
                             target.c_str());
    checkWin32(HttpSendRequestW(request, call_.headers ? call_.headers->c_str() : nullptr,
                                call_.headers ? static_cast<DWORD>(-1) : 0,
                                call_.body.empty() ? nullptr : const_cast<char*>(call_.body.data()),
                                static_cast<DWORD>(call_.body.size())),
               target);
    DWORD status = 0;
    DWORD size = sizeof status;
    checkWin32(HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr),
               target);
    answer_.headers = rawHeaders(request);
    answer_.body = body(request, target);
    answer_.status = static_cast<LONG>(status);
  }

  static std::wstring rawHeaders(HINTERNET request) {
    std::wstring headers(1024, L'\0');
    DWORD size = static_cast<DWORD>(headers.size() * sizeof(wchar_t));
    if (!HttpQueryInfoW(request, HTTP_QUERY_RAW_HEADERS_CRLF, headers.data(), &size, nullptr)) {
      if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return L"";
      headers.resize(size / sizeof(wchar_t) + 1);
      if (!HttpQueryInfoW(request, HTTP_QUERY_RAW_HEADERS_CRLF, headers.data(), &size, nullptr)) return L"";
    }
    headers.resize(size / sizeof(wchar_t));
    return headers;
  }

  static std::wstring body(HINTERNET request, const std::wstring& target) {
    std::wstring body;
    char chunk[8192];
    for (;;) {
      DWORD read = 0;
      checkWin32(InternetReadFile(request, chunk, sizeof chunk, &read), target);
      if (read == 0) return body;
      for (DWORD i = 0; i < read; ++i) body += static_cast<wchar_t>(static_cast<unsigned char>(chunk[i]));
    }
  }

  std::atomic<LONG> references_{1};
  const HttpCall call_;
  HttpAnswer answer_;
  UniqueHandle done_;
  CRITICAL_SECTION lock_;
  bool abandoned_ = false;
  HINTERNET handles_[kSlots] = {};
  HMODULE pinnedModule_ = nullptr;
};

}  // namespace

HttpAnswer runHttpCall(const HttpCall& call) {
  auto* job = new HttpJob(call);
  struct Releaser {
    HttpJob* job;
    ~Releaser() { job->release(); }
  } releaser{job};
  job->start();
  if (job->waitFor(call.timeoutMs)) return job->answer();
  HttpAnswer timedOut;
  timedOut.status = HRESULT_FROM_WIN32(ERROR_INTERNET_TIMEOUT);
  timedOut.failure = L"Нет ответа от " + call.host + L":" + std::to_wstring(call.port) + L" за " +
                     std::to_wstring(call.timeoutMs) + L" мс";
  return timedOut;
}

}  // namespace oxs
