#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// What the system found out about an installer's Authenticode signature. The defaults describe a
// file of which nothing could be verified.
struct SignatureFacts {
  // WinVerifyTrust's result: 0 when the signature and the file's digest verify and the chain ends
  // in a root the machine trusts.
  std::int32_t trustResult = -1;
  // The error bits of the signer's certificate chain (CERT_TRUST_STATUS::dwErrorStatus): 0 when
  // it is valid up to a trusted root.
  std::uint32_t chainErrors = ~std::uint32_t{0};
  // The subject common name of the signing certificate, every character of it; empty when there
  // is no signer.
  std::wstring signerName;
};

// Whether the launcher may hand the installer to the shell. No required signer: every installer,
// unchecked. Otherwise only one whose signature verifies, whose chain has no error and whose
// signer's common name equals the required one exactly.
bool InstallerMayRun(std::wstring_view requiredSigner, const SignatureFacts& facts);
