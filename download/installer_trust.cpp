#include "download/installer_trust.h"

bool InstallerMayRun(std::wstring_view requiredSigner, const SignatureFacts& facts) {
  if (requiredSigner.empty()) return true;
  return facts.trustResult == 0 && facts.chainErrors == 0 && facts.signerName == requiredSigner;
}
