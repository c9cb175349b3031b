#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

// A path from the environment as Windows sees it: Unix paths lie on drive Z: under Wine.
std::wstring EnvPath(const char* name, const wchar_t* tail) {
  const char* value = std::getenv(name);
  if (!value) return L"";
  std::wstring path;
  if (value[0] == '/') path = L"Z:";
  for (const char* c = value; *c; ++c) path += *c == '/' ? L'\\' : static_cast<wchar_t>(*c);
  return path + tail;
}

class Library {
public:
  explicit Library(const std::wstring& path)
      : module_(LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {}
  ~Library() {
    if (module_) FreeLibrary(module_);
  }
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;
  HMODULE Get() const { return module_; }

private:
  HMODULE module_;
};

std::string ResourceBytes(HMODULE module, const wchar_t* name, const wchar_t* type) {
  const HRSRC info = FindResourceW(module, name, type);
  if (!info) return {};
  const HGLOBAL data = LoadResource(module, info);
  const auto* bytes = static_cast<const char*>(LockResource(data));
  return bytes ? std::string(bytes, SizeofResource(module, info)) : std::string();
}

BOOL CALLBACK CountName(HMODULE, LPCWSTR, LPWSTR, LONG_PTR count) {
  ++*reinterpret_cast<int*>(count);
  return TRUE;
}

class WinStartResources : public testing::Test {
protected:
  void SetUp() override {
    exe_ = EnvPath("START_BUILD", L"\\start\\start.exe");
    if (exe_.empty()) GTEST_SKIP() << "START_BUILD is not set";
    library_ = std::make_unique<Library>(exe_);
    ASSERT_NE(library_->Get(), nullptr) << "cannot load start.exe as data";
  }
  HMODULE Module() const { return library_->Get(); }

  std::wstring exe_;
  std::unique_ptr<Library> library_;
};

TEST_F(WinStartResources, VersionBlock) {
  const std::string resource = ResourceBytes(Module(), MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(16));
  ASSERT_FALSE(resource.empty());
  // VerQueryValueW works on a writable copy with room behind it, as GetFileVersionInfoW gives.
  std::vector<char> block(resource.begin(), resource.end());
  block.resize(resource.size() * 2 + 64);

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwFileVersionLS, (18u << 16) | 1205u);
  EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwProductVersionLS, (18u << 16) | 1205u);
  EXPECT_EQ(fixed->dwFileFlagsMask, 0x3Fu);
  EXPECT_EQ(fixed->dwFileFlags, 0u);
  EXPECT_EQ(fixed->dwFileOS, 4u);
  EXPECT_EQ(fixed->dwFileType, 1u);
  EXPECT_EQ(fixed->dwFileSubtype, 0u);
  EXPECT_EQ(fixed->dwFileDateMS, 0u);
  EXPECT_EQ(fixed->dwFileDateLS, 0u);

  const struct {
    const wchar_t* key;
    const wchar_t* value;
  } strings[] = {
      {L"CompanyName", L"Marlek GmbH"},    {L"FileDescription", L"Marlek Setup"},
      {L"FileVersion", L"1.0.18.1205"},    {L"ProductName", L"Marlek Setup"},
      {L"ProductVersion", L"1.0.18.1205"},
  };
  for (const auto& s : strings) {
    wchar_t* value = nullptr;
    const std::wstring query = std::wstring(L"\\StringFileInfo\\040904E4\\") + s.key;
    ASSERT_TRUE(
        VerQueryValueW(block.data(), query.c_str(), reinterpret_cast<void**>(&value), &length))
        << "missing key";
    EXPECT_STREQ(value, s.value);
  }

  WORD* translation = nullptr;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                             reinterpret_cast<void**>(&translation), &length));
  ASSERT_EQ(length, 4u) << "exactly one Translation entry";
  EXPECT_EQ(translation[0], 0x0409);
  EXPECT_EQ(translation[1], 0x04E4);
}

TEST_F(WinStartResources, ManifestIsTheOneOfTheSourceTree) {
  int manifests = 0;
  EnumResourceNamesW(Module(), MAKEINTRESOURCEW(24), CountName,
                     reinterpret_cast<LONG_PTR>(&manifests));
  EXPECT_EQ(manifests, 1);

  const std::string text = ResourceBytes(Module(), MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
  ASSERT_FALSE(text.empty());
  const std::wstring source = EnvPath("START_ROOT", L"\\res\\start.manifest");
  if (!source.empty()) {
    std::ifstream file(source.c_str(), std::ios::binary);
    const std::string expected((std::istreambuf_iterator<char>(file)),
                               std::istreambuf_iterator<char>());
    EXPECT_EQ(text, expected);
  }
  for (const char* part :
       {R"(name="Microsoft.Windows.Common-Controls")", R"(version="6.0.0.0")", R"(type="win32")",
        R"(publicKeyToken="6595b64144ccf1df")", R"(language="*")", R"(processorArchitecture="*")",
        R"(level="asInvoker")", R"(uiAccess="false")", "{e2011457-1546-43c5-a5fe-008deee3d3f0}",
        "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
        "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}) {
    EXPECT_NE(text.find(part), std::string::npos) << part;
  }
  EXPECT_EQ(text.find("dpiAware"), std::string::npos);
  EXPECT_EQ(text.find("dpiAwareness"), std::string::npos);
}

#pragma pack(push, 2)
struct GroupIconEntry {
  BYTE width, height, colorCount, reserved;
  WORD planes, bitCount;
  DWORD bytesInRes;
  WORD id;
};
struct GroupIconHeader {
  WORD reserved, type, count;
};
#pragma pack(pop)

TEST_F(WinStartResources, MainIconIsOne32x32PaletteImageWithMask) {
  const std::string group = ResourceBytes(Module(), L"MAINICON", MAKEINTRESOURCEW(14));
  ASSERT_EQ(group.size(), sizeof(GroupIconHeader) + sizeof(GroupIconEntry));
  GroupIconHeader header;
  GroupIconEntry entry;
  std::memcpy(&header, group.data(), sizeof header);
  std::memcpy(&entry, group.data() + sizeof header, sizeof entry);
  EXPECT_EQ(header.type, 1);
  EXPECT_EQ(header.count, 1);
  EXPECT_EQ(entry.width, 32);
  EXPECT_EQ(entry.height, 32);
  EXPECT_EQ(entry.bitCount, 8);
  EXPECT_EQ(entry.bytesInRes, 2216u);

  const std::string image =
      ResourceBytes(Module(), MAKEINTRESOURCEW(entry.id), MAKEINTRESOURCEW(3));
  ASSERT_EQ(image.size(), 2216u);
  BITMAPINFOHEADER dib;
  std::memcpy(&dib, image.data(), sizeof dib);
  EXPECT_EQ(dib.biSize, sizeof(BITMAPINFOHEADER)) << "a DIB, not a PNG";
  EXPECT_EQ(dib.biWidth, 32);
  EXPECT_EQ(dib.biHeight, 64) << "colour rows and mask rows";
  EXPECT_EQ(dib.biBitCount, 8);
  EXPECT_EQ(dib.biCompression, static_cast<DWORD>(BI_RGB));
  // 2216 bytes: header, 256-entry palette, 32 rows of 32 bytes, 32 mask rows of 4 bytes.
  EXPECT_TRUE(dib.biClrUsed == 0 || dib.biClrUsed == 256);

  const HICON icon = LoadIconW(Module(), L"MAINICON");
  ASSERT_NE(icon, nullptr);
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(icon, &info));
  BITMAP mask{};
  GetObjectW(info.hbmMask, sizeof mask, &mask);
  EXPECT_EQ(mask.bmWidth, 32);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
}

}  // namespace
