// The release as a user gets it: the shipped program's version resource, and its Windows
// Installer package put through a silent install with msiexec, a start of the installed program
// from where the package put it, and an uninstall that must leave nothing behind.
#include <windows.h>

#include <msi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "process_driver.h"
#include "program_ids.h"

namespace {

using driver::ChildProcess;
using program_ids::kCloseId;

// msiexec under Wine needs a few seconds for this package, much more on a loaded machine.
const DWORD kMsiexecTimeoutMs = 120000;

// The release as the build leaves it, beside the tests' folder; the logs go beside the test.
const std::string kRelease = driver::TestFile("MENSURATOR_RELEASE_DIR", "../release");
const std::string kProgram = kRelease + "\\mensurator.exe";
const std::string kPackage = kRelease + "\\" MENSURATOR_RELEASE_NAME ".msi";
const std::string kNextPackage =
    driver::TestFile("MENSURATOR_NEXT_MSI", "../upgrade/" MENSURATOR_NEXT_NAME ".msi");
const std::string kLogFolder = driver::TestFile(nullptr, ".");

std::string Folder(int csidl) {
  char path[MAX_PATH] = "";
  if (FAILED(SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return "";
  return path;
}

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The version resource of a file: its fixed part and its US English Unicode strings, as
// Explorer's file properties read them.
class VersionInfo {
 public:
  explicit VersionInfo(const std::string& file) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(file.c_str(), &ignored);
    data_.resize(size);
    if (size == 0 || !GetFileVersionInfoA(file.c_str(), 0, size, data_.data())) data_.clear();
  }

  bool Found() const { return !data_.empty(); }

  const VS_FIXEDFILEINFO* Fixed() const {
    return static_cast<const VS_FIXEDFILEINFO*>(Query("\\", sizeof(VS_FIXEDFILEINFO)));
  }

  // Language and code page of the first translation, 0 when there is none.
  DWORD Translation() const {
    const auto* pair = static_cast<const WORD*>(Query("\\VarFileInfo\\Translation", 4));
    return pair == nullptr ? 0 : MAKELONG(pair[1], pair[0]);
  }

  // The string, or "(none)" when the table lacks it.
  std::string String(const std::string& name) const {
    const void* value = Query("\\StringFileInfo\\040904B0\\" + name, 1);
    return value == nullptr ? "(none)" : static_cast<const char*>(value);
  }

 private:
  const void* Query(const std::string& path, UINT minimumLength) const {
    void* value = nullptr;
    UINT length = 0;
    if (data_.empty() ||
        !VerQueryValueA(const_cast<char*>(data_.data()), path.c_str(), &value, &length) ||
        length < minimumLength) {
      return nullptr;
    }
    return value;
  }

  std::vector<char> data_;
};

// A version as four dotted numbers, from its two halves in a VS_FIXEDFILEINFO.
std::string Dotted(DWORD mostSignificant, DWORD leastSignificant) {
  return std::to_string(HIWORD(mostSignificant)) + "." + std::to_string(LOWORD(mostSignificant)) +
         "." + std::to_string(HIWORD(leastSignificant)) + "." +
         std::to_string(LOWORD(leastSignificant));
}

// The product codes of the installed products named Mensurator.
std::vector<std::string> MensuratorProducts() {
  std::vector<std::string> found;
  char code[39];
  for (DWORD i = 0; MsiEnumProductsA(i, code) == ERROR_SUCCESS; ++i) {
    char name[64] = "";
    DWORD size = sizeof name;
    if (MsiGetProductInfoA(code, INSTALLPROPERTY_PRODUCTNAME, name, &size) == ERROR_SUCCESS &&
        std::string(name) == "Mensurator") {
      found.push_back(code);
    }
  }
  return found;
}

std::string ProductVersion(const std::string& code) {
  char version[32] = "";
  DWORD size = sizeof version;
  MsiGetProductInfoA(code.c_str(), INSTALLPROPERTY_VERSIONSTRING, version, &size);
  return version;
}

// A property Windows Installer registered for a product, "" when it has none; with a context,
// only as installed in that one.
std::string ProductInfo(const std::string& code, const char* property,
                        MSIINSTALLCONTEXT context = MSIINSTALLCONTEXT_NONE) {
  char value[MAX_PATH] = "";
  DWORD size = sizeof value;
  (void)(context == MSIINSTALLCONTEXT_NONE
             ? MsiGetProductInfoA(code.c_str(), property, value, &size)
             : MsiGetProductInfoExA(code.c_str(), nullptr, context, property, value, &size));
  return value;
}

// NoModify in the product's entry of Programs and Features in a hive, -1 without an entry.
long NoModify(HKEY hive, const std::string& code) {
  const std::string key = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + code;
  DWORD value = 0;
  DWORD size = sizeof value;
  return RegGetValueA(hive, key.c_str(), "NoModify", RRF_RT_REG_DWORD, nullptr, &value, &size)
             ? -1
             : value;
}

// Wine 8's Windows Installer installs an ALLUSERS=2 package for all users, into Program Files,
// whatever MSIINSTALLPERUSER says: true on Windows; false, with the reason said, under Wine.
bool InstallsPerUserHere() {
  if (!GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version")) return true;
  std::printf(
      "[  SKIPPED ] per-user folder and registration, Windows only: Wine 8 installs an "
      "ALLUSERS=2 package for all users and ignores MSIINSTALLPERUSER\n");
  return false;
}

// The system's own msiexec: on 64-bit Windows a 32-bit program would get the 32-bit one, where
// Explorer opens a package with the 64-bit one.
std::string Msiexec() {
  char native[MAX_PATH] = "";
  GetWindowsDirectoryA(native, MAX_PATH);
  const std::string path = std::string(native) + "\\sysnative\\msiexec.exe";
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES ? path : "msiexec";
}

// Runs msiexec with the given action (/i, /x) on a package, with no user interface and a verbose
// log; gives its exit code, or a failure when it did not start or end.
testing::AssertionResult RunMsiexec(const std::string& action, const std::string& package,
                                    const std::string& logName, DWORD* exitCode) {
  const std::string log = kLogFolder + "\\" + logName;
  ChildProcess msiexec("\"" + Msiexec() + "\" " + action + " \"" + package + "\" /qn /l*v \"" +
                       log + "\"");
  if (!msiexec.Started()) {
    return testing::AssertionFailure() << "msiexec did not start: error " << msiexec.StartError();
  }
  if (!msiexec.WaitForExit(exitCode, kMsiexecTimeoutMs)) {
    return testing::AssertionFailure() << "msiexec " << action << " still running; log " << log;
  }
  return testing::AssertionSuccess();
}

testing::AssertionResult Succeeds(const std::string& action, const std::string& package,
                                  const std::string& logName) {
  DWORD exitCode = 0;
  const testing::AssertionResult ran = RunMsiexec(action, package, logName, &exitCode);
  if (!ran || exitCode == ERROR_SUCCESS) return ran;
  return testing::AssertionFailure() << "msiexec " << action << " " << package << " exited with "
                                     << exitCode << "; log " << kLogFolder << "\\" << logName;
}

// Whatever a check finds, no Mensurator stays installed in the test's Wine prefix.
struct UninstallWhenLeft {
  ~UninstallWhenLeft() {
    for (const std::string& code : MensuratorProducts()) {
      DWORD ignored = 0;
      RunMsiexec("/x", code, "cleanup.log", &ignored);
    }
  }
};

// The names in a folder, "." and ".." left out.
std::vector<std::string> FolderEntries(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  const HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = found.cFileName;
    if (name != "." && name != "..") names.push_back(name);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

// The path a shell link points to, or why it could not be read.
std::string LinkTarget(const std::string& link) {
  wchar_t wideLink[MAX_PATH] = L"";
  if (MultiByteToWideChar(CP_ACP, 0, link.c_str(), -1, wideLink, MAX_PATH) == 0) {
    return "(path too long)";
  }
  CoInitialize(nullptr);
  std::string target = "(no shell link object)";
  IShellLinkA* shellLink = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                 reinterpret_cast<void**>(&shellLink)))) {
    target = "(unreadable link)";
    IPersistFile* file = nullptr;
    if (SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
      char path[MAX_PATH] = "";
      if (SUCCEEDED(file->Load(wideLink, STGM_READ)) &&
          SUCCEEDED(shellLink->GetPath(path, MAX_PATH, nullptr, SLGP_RAWPATH))) {
        target = path;
      }
      file->Release();
    }
    shellLink->Release();
  }
  CoUninitialize();
  return target;
}

// Wine's menu builder copies every new Start menu shortcut into the Linux desktop's menus,
// outside the prefix and out of reach of the uninstall; an empty override keeps it from starting.
bool KeepWineMenuBuilderAway() {
  HKEY overrides = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\DllOverrides", 0, nullptr, 0,
                      KEY_SET_VALUE, nullptr, &overrides, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const bool set = RegSetValueExA(overrides, "winemenubuilder.exe", 0, REG_SZ,
                                  reinterpret_cast<const BYTE*>(""), 1) == ERROR_SUCCESS;
  RegCloseKey(overrides);
  return set;
}

TEST(ReleaseProgram, CarriesItsVersionAndName) {
  const VersionInfo info(kProgram);
  ASSERT_TRUE(info.Found()) << kProgram << " has no version resource";
  const VS_FIXEDFILEINFO* fixed = info.Fixed();
  ASSERT_NE(nullptr, fixed);
  EXPECT_EQ(VS_FFI_SIGNATURE, fixed->dwSignature);
  EXPECT_EQ(MENSURATOR_RELEASE_VERSION, Dotted(fixed->dwFileVersionMS, fixed->dwFileVersionLS));
  EXPECT_EQ(MENSURATOR_RELEASE_VERSION,
            Dotted(fixed->dwProductVersionMS, fixed->dwProductVersionLS));
  EXPECT_EQ(static_cast<DWORD>(VFT_APP), fixed->dwFileType);
  EXPECT_EQ(0u, fixed->dwFileFlags & fixed->dwFileFlagsMask) << "marked debug or pre-release";
  EXPECT_EQ(MAKELONG(1200, 0x0409), info.Translation()) << "not US English, Unicode";

  EXPECT_EQ("Mensurator", info.String("ProductName"));
  EXPECT_EQ("Mensurator unit converter", info.String("FileDescription"));
  EXPECT_EQ(MENSURATOR_RELEASE_VERSION, info.String("FileVersion"));
  EXPECT_EQ(MENSURATOR_RELEASE_VERSION, info.String("ProductVersion"));
  EXPECT_EQ("mensurator.exe", info.String("OriginalFilename"));
  EXPECT_EQ("mensurator", info.String("InternalName"));
  EXPECT_NE("(none)", info.String("CompanyName"));
  EXPECT_NE("(none)", info.String("LegalCopyright"));
}

TEST(Installer, InstallsUpgradesRefusesDowngradeAndUninstallsWithoutTrace) {
  ASSERT_TRUE(KeepWineMenuBuilderAway());
  // Windows 7 and later install a per-user package's ProgramFilesFolder in the user's
  // %LocalAppData%\Programs.
  const bool perUser = InstallsPerUserHere();
  const HKEY entryHive = perUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
  const std::string programFolder =
      (perUser ? Folder(CSIDL_LOCAL_APPDATA) + "\\Programs" : Folder(CSIDL_PROGRAM_FILES)) +
      "\\Mensurator";
  const std::string program = programFolder + "\\mensurator.exe";
  // The shortcut stands in the user's own Programs folder; no Mensurator folder in either menu.
  const std::string shortcut = Folder(CSIDL_PROGRAMS) + "\\Mensurator.lnk";
  const std::vector<std::string> menuFolders = {Folder(CSIDL_COMMON_PROGRAMS) + "\\Mensurator",
                                                Folder(CSIDL_PROGRAMS) + "\\Mensurator"};
  ASSERT_NE("\\Mensurator", programFolder);

  // A run that was stopped half-way may have left a package installed.
  { const UninstallWhenLeft leftover; }
  ASSERT_FALSE(Exists(programFolder)) << programFolder << " there before installing";
  ASSERT_FALSE(Exists(shortcut)) << shortcut << " there before installing";
  for (const std::string& folder : menuFolders) {
    ASSERT_FALSE(Exists(folder)) << folder << " there before installing";
  }
  const UninstallWhenLeft cleanup;

  ASSERT_TRUE(Succeeds("/i", kPackage, "install.log"));
  ASSERT_EQ(1u, MensuratorProducts().size()) << "Windows Installer does not know the product";
  const std::string installed = MensuratorProducts()[0];
  EXPECT_EQ(MENSURATOR_PRODUCT_VERSION, ProductVersion(installed));
  // What Programs and Features shows: no Change button, the program's icon, the project's pages.
  EXPECT_EQ(1, NoModify(entryHive, installed));
  const std::string icon = ProductInfo(installed, INSTALLPROPERTY_PRODUCTICON);
  EXPECT_EQ("mensurator.ico", icon.substr(icon.rfind('\\') + 1)) << "product icon " << icon;
  EXPECT_TRUE(Exists(icon)) << "product icon " << icon;
  EXPECT_EQ(MENSURATOR_PROJECT_URL, ProductInfo(installed, INSTALLPROPERTY_URLINFOABOUT));
  EXPECT_EQ(MENSURATOR_PROJECT_URL, ProductInfo(installed, INSTALLPROPERTY_HELPLINK));
  if (perUser) {  // registered for the user, nothing for the machine
    EXPECT_EQ(MENSURATOR_PRODUCT_VERSION, ProductInfo(installed, INSTALLPROPERTY_VERSIONSTRING,
                                                      MSIINSTALLCONTEXT_USERUNMANAGED));
    EXPECT_EQ("", ProductInfo(installed, INSTALLPROPERTY_VERSIONSTRING, MSIINSTALLCONTEXT_MACHINE));
  }
  ASSERT_TRUE(Exists(program)) << program;
  EXPECT_EQ(MENSURATOR_RELEASE_VERSION, VersionInfo(program).String("FileVersion")) << program;
  ASSERT_TRUE(Exists(shortcut)) << shortcut;
  const std::string target = LinkTarget(shortcut);
  EXPECT_EQ(0, lstrcmpiA(program.c_str(), target.c_str())) << shortcut << " points to " << target;
  {
    ChildProcess converter("\"" + program + "\"");
    ASSERT_TRUE(converter.Started()) << program << ": error " << converter.StartError();
    const HWND dialog = converter.WaitForTopLevel("#32770", "Mensurator");
    ASSERT_NE(nullptr, dialog) << "no converter dialog";
    EXPECT_TRUE(driver::WaitUntil([&] { return IsWindowVisible(dialog) != FALSE; }))
        << "converter dialog not visible";
    PostMessageW(GetDlgItem(dialog, kCloseId), BM_CLICK, 0, 0);
    DWORD exitCode = 1;
    ASSERT_TRUE(converter.WaitForExit(&exitCode)) << "still running after Close";
    EXPECT_EQ(0u, exitCode);
  }

  // The later version replaces the earlier one: one product, one program, one shortcut.
  ASSERT_TRUE(Succeeds("/i", kNextPackage, "upgrade.log"));
  std::vector<std::string> products = MensuratorProducts();
  ASSERT_EQ(1u, products.size()) << "the earlier version is still listed";
  EXPECT_EQ(MENSURATOR_NEXT_VERSION, ProductVersion(products[0]));
  if (perUser) {
    EXPECT_EQ(MENSURATOR_NEXT_VERSION, ProductInfo(products[0], INSTALLPROPERTY_VERSIONSTRING,
                                                   MSIINSTALLCONTEXT_USERUNMANAGED));
  }
  EXPECT_EQ((std::vector<std::string>{"LICENSE.txt", "THIRD-PARTY-NOTICES.txt", "mensurator.exe"}),
            FolderEntries(programFolder));
  EXPECT_TRUE(Exists(shortcut)) << shortcut;

  // The earlier one is refused over it: with the basic user interface Windows Installer shows
  // the downgrade message, answered here as a user would, ends with an error and changes nothing.
  {
    ChildProcess downgrade("\"" + Msiexec() + "\" /i \"" + kPackage + "\" /qb");
    ASSERT_TRUE(downgrade.Started()) << "msiexec: error " << downgrade.StartError();
    std::string message = "(none within the time limit)";
    driver::WaitUntil(
        [&] {
          for (HWND box : downgrade.TopLevelWindows()) {
            for (HWND text : driver::VisibleChildren(box, "Static")) {
              if (driver::Text(text).find("version") == std::string::npos) continue;
              message = driver::Text(text);
              PostMessageW(box, WM_COMMAND, IDOK, 0);
              return true;
            }
          }
          return false;
        },
        kMsiexecTimeoutMs);
    EXPECT_EQ("A newer version of Mensurator is already installed.", message);
    DWORD downgradeExit = 0;
    ASSERT_TRUE(downgrade.WaitForExit(&downgradeExit, kMsiexecTimeoutMs)) << "msiexec still runs";
    EXPECT_NE(static_cast<DWORD>(ERROR_SUCCESS), downgradeExit);
  }
  products = MensuratorProducts();
  ASSERT_EQ(1u, products.size());
  EXPECT_EQ(MENSURATOR_NEXT_VERSION, ProductVersion(products[0]));
  EXPECT_TRUE(Exists(program)) << program;

  const std::string upgradedIcon = ProductInfo(products[0], INSTALLPROPERTY_PRODUCTICON);
  ASSERT_TRUE(Succeeds("/x", products[0], "uninstall.log"));
  EXPECT_TRUE(MensuratorProducts().empty()) << "Windows Installer still knows the product";
  EXPECT_EQ(-1, NoModify(entryHive, products[0])) << "Programs and Features' entry left";
  EXPECT_FALSE(upgradedIcon.empty() || Exists(upgradedIcon)) << "icon \"" << upgradedIcon << "\"";
  EXPECT_FALSE(Exists(programFolder)) << programFolder;
  EXPECT_FALSE(Exists(shortcut)) << shortcut;
  for (const std::string& folder : menuFolders) EXPECT_FALSE(Exists(folder)) << folder;
  HKEY key = nullptr;
  EXPECT_NE(ERROR_SUCCESS,
            RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Mensurator", 0, KEY_READ, &key))
      << "HKCU\\Software\\Mensurator left behind";
  if (key != nullptr) RegCloseKey(key);
}

}  // namespace
