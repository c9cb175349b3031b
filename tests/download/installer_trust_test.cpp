#include "download/installer_trust.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Results and chain bits as Windows reports them (winerror.h, wincrypt.h), written out here so
// that the test does not take them from the code under test.
constexpr std::int32_t kVerified = 0;
constexpr auto kNoSignature = static_cast<std::int32_t>(0x800B0100u);    // TRUST_E_NOSIGNATURE
constexpr auto kBadDigest = static_cast<std::int32_t>(0x80096010u);      // TRUST_E_BAD_DIGEST
constexpr auto kUntrustedRoot = static_cast<std::int32_t>(0x800B0109u);  // CERT_E_UNTRUSTEDROOT
constexpr auto kExpired = static_cast<std::int32_t>(0x800B0101u);        // CERT_E_EXPIRED
constexpr std::uint32_t kChainValid = 0;
constexpr std::uint32_t kChainUntrustedRoot = 0x20;  // CERT_TRUST_IS_UNTRUSTED_ROOT
constexpr std::uint32_t kChainRevoked = 0x04;        // CERT_TRUST_IS_REVOKED

const std::wstring kPublisher = L"Marlek Software GmbH";

SignatureFacts Facts(std::int32_t result, std::uint32_t chain, std::wstring name) {
  SignatureFacts facts;
  facts.trustResult = result;
  facts.chainErrors = chain;
  facts.signerName = std::move(name);
  return facts;
}

TEST(InstallerTrust, WithoutARequiredSignerEveryInstallerRuns) {
  EXPECT_TRUE(InstallerMayRun(L"", SignatureFacts{}));
  EXPECT_TRUE(InstallerMayRun(L"", Facts(kNoSignature, kChainValid, L"")));
  EXPECT_TRUE(InstallerMayRun(L"", Facts(kBadDigest, kChainUntrustedRoot, L"Someone Else")));
}

TEST(InstallerTrust, OnlyAVerifiedSignatureOfTheNamedPublisherRuns) {
  EXPECT_TRUE(InstallerMayRun(kPublisher, Facts(kVerified, kChainValid, kPublisher)));

  struct Case {
    const char* what;
    SignatureFacts facts;
  };
  const Case refused[] = {
      {"nothing could be read", SignatureFacts{}},
      {"unsigned", Facts(kNoSignature, kChainValid, L"")},
      {"changed after signing", Facts(kBadDigest, kChainValid, kPublisher)},
      {"expired certificate", Facts(kExpired, kChainValid, kPublisher)},
      // Windows refuses a chain to an unknown root in the result and in the chain's bits.
      {"untrusted root", Facts(kUntrustedRoot, kChainUntrustedRoot, kPublisher)},
      // A verifier that lets the unknown root pass (Wine does) still reports it in the chain.
      {"untrusted root, result 0", Facts(kVerified, kChainUntrustedRoot, kPublisher)},
      {"revoked, result 0", Facts(kVerified, kChainRevoked, kPublisher)},
      {"another publisher", Facts(kVerified, kChainValid, L"Another Publisher Ltd")},
      {"no signer name", Facts(kVerified, kChainValid, L"")},
      {"other case", Facts(kVerified, kChainValid, L"MARLEK SOFTWARE GMBH")},
      {"prefix of the name", Facts(kVerified, kChainValid, L"Marlek Software")},
      {"name with more after it", Facts(kVerified, kChainValid, kPublisher + L" Evil")},
      {"trailing space", Facts(kVerified, kChainValid, kPublisher + L" ")},
      {"NUL inside the name",
       Facts(kVerified, kChainValid, kPublisher + std::wstring(1, L'\0') + L"evil.example")},
  };
  for (const Case& c : refused) {
    EXPECT_FALSE(InstallerMayRun(kPublisher, c.facts)) << c.what;
  }
}

}  // namespace
