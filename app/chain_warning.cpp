#include "app/chain_warning.h"

ChainWarning MostSerious(bool fileForwards, const ChainFindings& findings) {
  using Privoxy = ChainFindings::Privoxy;
  using Tor = ChainFindings::Tor;
  if (findings.privoxy == Privoxy::NotRunning) return ChainWarning::PrivoxyNotRunning;
  if (fileForwards && findings.privoxy == Privoxy::DoesNotForward) return ChainWarning::NotThroughTor;
  if (!fileForwards && findings.privoxy == Privoxy::Forwards) return ChainWarning::ThroughTorAgainstFile;
  if (!fileForwards) return ChainWarning::None;
  if (findings.tor == Tor::Silent) return ChainWarning::TorNotAnswering;
  if (findings.tor == Tor::OnlyTorBrowser) return ChainWarning::TorBrowserOnly;
  return ChainWarning::None;
}

std::optional<BalloonText> BalloonFor(ChainWarning warning, const std::wstring& address) {
  switch (warning) {
    case ChainWarning::None:
      break;
    case ChainWarning::NotThroughTor:
      return BalloonText{L"Страницы идут без Tor", L"Privoxy на " + address + L" работает не с этим файлом настроек."};
    case ChainWarning::PrivoxyNotRunning:
      return BalloonText{L"Privoxy не запущен", L"На " + address + L" Privoxy не отвечает: страницы не откроются."};
    case ChainWarning::ThroughTorAgainstFile:
      return BalloonText{L"Privoxy работает через Tor",
                         L"В файле Tor выключен, а Privoxy на " + address + L" работает с другим файлом."};
    case ChainWarning::TorNotAnswering:
      return BalloonText{L"Tor не отвечает", L"На 127.0.0.1:9050 никто не отвечает: пока Tor не запущен, страницы не "
                                             L"откроются."};
    case ChainWarning::TorBrowserOnly:
      return BalloonText{L"Tor не отвечает", L"Privoxy пересылает на 127.0.0.1:9050, а отвечает только Tor из Tor "
                                             L"Browser, на 127.0.0.1:9150."};
  }
  return std::nullopt;
}
