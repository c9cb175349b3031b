#include "download/authenticode_win.h"

// wincrypt.h before the headers that use its types.
#include <wincrypt.h>
#include <softpub.h>
#include <wintrust.h>

#include <stdexcept>
#include <utility>
#include <vector>

#include "base/system_library_win.h"

namespace {

using WinVerifyTrustFn = LONG(WINAPI*)(HWND, GUID*, LPVOID);
using ProvDataFromStateDataFn = CRYPT_PROVIDER_DATA*(WINAPI*)(HANDLE);
using ProvSignerFromChainFn = CRYPT_PROVIDER_SGNR*(WINAPI*)(CRYPT_PROVIDER_DATA*, DWORD, BOOL,
                                                            DWORD);
using ProvCertFromChainFn = CRYPT_PROVIDER_CERT*(WINAPI*)(CRYPT_PROVIDER_SGNR*, DWORD);
using CertGetNameStringFn = DWORD(WINAPI*)(PCCERT_CONTEXT, DWORD, DWORD, void*, LPWSTR, DWORD);

struct TrustApi {
  // crypt32 first, so that wintrust finds it loaded from the system folder.
  SystemLibrary crypt32{L"crypt32.dll"};
  SystemLibrary wintrust{L"wintrust.dll"};
  WinVerifyTrustFn verify = wintrust.Get<WinVerifyTrustFn>("WinVerifyTrust");
  ProvDataFromStateDataFn provData =
      wintrust.Get<ProvDataFromStateDataFn>("WTHelperProvDataFromStateData");
  ProvSignerFromChainFn signer =
      wintrust.Get<ProvSignerFromChainFn>("WTHelperGetProvSignerFromChain");
  ProvCertFromChainFn cert = wintrust.Get<ProvCertFromChainFn>("WTHelperGetProvCertFromChain");
  CertGetNameStringFn name = crypt32.Get<CertGetNameStringFn>("CertGetNameStringW");
};

// The state WinVerifyTrust keeps between its verify and close actions.
class TrustState {
public:
  TrustState(const TrustApi& api, const std::wstring& path, HANDLE file) : api_(api) {
    file_.cbStruct = sizeof file_;
    file_.pcwszFilePath = path.c_str();
    file_.hFile = file;
    data_.cbStruct = sizeof data_;
    data_.dwUIChoice = WTD_UI_NONE;
    data_.fdwRevocationChecks = WTD_REVOKE_NONE;
    data_.dwUnionChoice = WTD_CHOICE_FILE;
    data_.pFile = &file_;
    data_.dwStateAction = WTD_STATEACTION_VERIFY;
    data_.dwProvFlags = WTD_REVOCATION_CHECK_NONE | WTD_CACHE_ONLY_URL_RETRIEVAL;
    result_ = api_.verify(NoUser(), &action_, &data_);
  }
  ~TrustState() {
    data_.dwStateAction = WTD_STATEACTION_CLOSE;
    api_.verify(NoUser(), &action_, &data_);
  }
  TrustState(const TrustState&) = delete;
  TrustState& operator=(const TrustState&) = delete;

  LONG Result() const { return result_; }
  HANDLE StateData() const { return data_.hWVTStateData; }

private:
  static HWND NoUser() { return static_cast<HWND>(INVALID_HANDLE_VALUE); }

  const TrustApi& api_;
  GUID action_ = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  WINTRUST_FILE_INFO file_{};
  WINTRUST_DATA data_{};
  LONG result_ = 0;
};

// Every character of the common name: one with a NUL inside compares unequal to any plain name.
std::wstring CommonName(const TrustApi& api, PCCERT_CONTEXT cert) {
  void* oid = const_cast<char*>(szOID_COMMON_NAME);
  const DWORD size = api.name(cert, CERT_NAME_ATTR_TYPE, 0, oid, nullptr, 0);
  if (size <= 1) return {};
  std::vector<wchar_t> buffer(size);
  const DWORD n = api.name(cert, CERT_NAME_ATTR_TYPE, 0, oid, buffer.data(), size);
  if (n <= 1 || n > size) return {};
  return std::wstring(buffer.data(), n - 1);
}

}  // namespace

SignatureFacts ReadAuthenticode(const std::wstring& path, HANDLE file) {
  const TrustApi api;
  const TrustState state(api, path, file);
  SignatureFacts facts;
  facts.trustResult = static_cast<std::int32_t>(state.Result());
  CRYPT_PROVIDER_DATA* data = state.StateData() ? api.provData(state.StateData()) : nullptr;
  CRYPT_PROVIDER_SGNR* signer = data ? api.signer(data, 0, FALSE, 0) : nullptr;
  if (signer == nullptr) return facts;
  if (signer->pChainContext != nullptr) {
    facts.chainErrors = signer->pChainContext->TrustStatus.dwErrorStatus;
  }
  CRYPT_PROVIDER_CERT* cert = api.cert(signer, 0);
  if (cert != nullptr && cert->pCert != nullptr) facts.signerName = CommonName(api, cert->pCert);
  return facts;
}
