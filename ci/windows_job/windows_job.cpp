// The hosted CI's Windows job: runs the 32-bit test programs of the folder it sits in, as the
// build's list of test runs (runs.txt) gives them, reports in the forms GitHub reads, and keeps a
// screenshot of the converter. The same program is rehearsed under Wine by the test command.
//   windows_job.exe [--only NAME,NAME...] [--screenshot FILE.bmp] [--list FILE]
// Exits 0 when every run passed, 1 when any failed or could not start, 2 on a wrong command line.
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "res/resource_ids.h"
#include "tests/process_driver.h"

namespace {

// A test program may take long (the installer's test runs msiexec several times), but a hung one
// must not use up the whole job.
const DWORD kRunTimeoutMs = 30 * 60 * 1000;

// One line of runs.txt: NAME, PROGRAM (in the tests folder), ARGUMENTS and VAR=VALUE pairs, the
// four fields separated by tabs, the arguments and the pairs by spaces.
struct Run {
  std::string name;
  std::string program;
  std::string arguments;
  std::vector<std::string> environment;
};

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::istringstream stream(text);
  std::string part;
  while (std::getline(stream, part, separator)) {
    if (!part.empty() || separator == '\t') parts.push_back(part);
  }
  return parts;
}

// The runs of the list file; false when it cannot be read, holds no run, or has a line of more than
// four fields or without a name or a program.
bool ReadRuns(const std::string& file, std::vector<Run>* runs) {
  std::ifstream list(file);
  if (!list) return false;
  std::string line;
  while (std::getline(list, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    std::vector<std::string> fields = Split(line, '\t');
    while (fields.size() < 4) fields.emplace_back();
    if (fields.size() != 4 || fields[0].empty() || fields[1].empty()) return false;
    runs->push_back({fields[0], fields[1], fields[2], Split(fields[3], ' ')});
  }
  return !runs->empty();
}

void Print(const std::string& line) {
  std::fputs((line + "\n").c_str(), stdout);
  // The test programs write to the same output; ours must come before theirs.
  std::fflush(stdout);
}

// Sets NAME=VALUE pairs in this process's environment, which every run inherits, and puts the
// former values back when it ends.
class EnvironmentScope {
 public:
  explicit EnvironmentScope(const std::vector<std::string>& pairs) {
    for (const std::string& pair : pairs) {
      const std::string::size_type equals = pair.find('=');
      if (equals == std::string::npos) continue;
      const std::string name = pair.substr(0, equals);
      char value[32767];
      const DWORD length = GetEnvironmentVariableA(name.c_str(), value, sizeof value);
      saved_.push_back({name, std::string(value, length), length > 0});
      SetEnvironmentVariableA(name.c_str(), pair.c_str() + equals + 1);
    }
  }
  ~EnvironmentScope() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
      SetEnvironmentVariableA(it->name.c_str(), it->wasSet ? it->value.c_str() : nullptr);
    }
  }
  EnvironmentScope(const EnvironmentScope&) = delete;
  EnvironmentScope& operator=(const EnvironmentScope&) = delete;

 private:
  struct Saved {
    std::string name;
    std::string value;
    bool wasSet;
  };
  std::vector<Saved> saved_;
};

// Runs one test program in the tests folder with this process's standard handles; returns an
// empty text when it passed, else what went wrong.
std::string Execute(const Run& run, const std::string& testsFolder) {
  EnvironmentScope environment(run.environment);
  std::string commandLine = "\"" + testsFolder + "\\" + run.program + "\"";
  if (!run.arguments.empty()) commandLine += " " + run.arguments;

  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr,
                      testsFolder.c_str(), &startup, &process)) {
    return "could not start (error " + std::to_string(GetLastError()) + ")";
  }
  CloseHandle(process.hThread);
  std::string problem;
  DWORD exitCode = 0;
  if (WaitForSingleObject(process.hProcess, kRunTimeoutMs) != WAIT_OBJECT_0) {
    TerminateProcess(process.hProcess, 1);
    problem = "did not end within " + std::to_string(kRunTimeoutMs / 60000) + " minutes";
  } else if (!GetExitCodeProcess(process.hProcess, &exitCode) || exitCode != 0) {
    problem = "failed (exit code " + std::to_string(exitCode) + ")";
  }
  CloseHandle(process.hProcess);
  return problem;
}

// The pixels of a screen rectangle as a 24-bit BMP file; false when it cannot be written.
bool SaveScreenRect(const RECT& rect, const std::string& file) {
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) return false;
  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = width;
  header.biHeight = height;  // bottom-up, as BMP files keep their rows
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  const DWORD rowBytes = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
  header.biSizeImage = rowBytes * static_cast<DWORD>(height);

  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, reinterpret_cast<const BITMAPINFO*>(&header),
                                    DIB_RGB_COLORS, &bits, nullptr, 0);
  bool saved = false;
  if (bitmap != nullptr) {
    HGDIOBJ previous = SelectObject(memory, bitmap);
    const bool copied =
        BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY) != FALSE;
    GdiFlush();
    SelectObject(memory, previous);
    BITMAPFILEHEADER fileHeader{};
    fileHeader.bfType = 0x4D42;  // "BM"
    fileHeader.bfOffBits = sizeof fileHeader + sizeof header;
    fileHeader.bfSize = fileHeader.bfOffBits + header.biSizeImage;
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&fileHeader), sizeof fileHeader);
    out.write(reinterpret_cast<const char*>(&header), sizeof header);
    out.write(static_cast<const char*>(bits), header.biSizeImage);
    saved = copied && out.good();
    DeleteObject(bitmap);
  }
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return saved;
}

// Starts the converter, saves its dialog as the screen shows it into `file`, and closes it with
// its Close button; returns an empty text when all of that worked, else what did not.
std::string Screenshot(const std::string& program, const std::string& file) {
  driver::ChildProcess converter("\"" + program + "\"");
  if (!converter.Started()) {
    return "could not start " + program + " (error " + std::to_string(converter.StartError()) + ")";
  }
  // The hidden main window has the same caption; the dialog is told by its class.
  HWND dialog = nullptr;
  driver::WaitUntil(
      [&] {
        dialog = converter.FindTopLevel("#32770", "Mensurator");
        return dialog != nullptr && IsWindowVisible(dialog);
      },
      30000);
  if (dialog == nullptr || !IsWindowVisible(dialog)) return "no visible Mensurator dialog";
  SetForegroundWindow(dialog);
  Sleep(1000);  // time to paint

  RECT rect{};
  std::string problem;
  if (!GetWindowRect(dialog, &rect) || !SaveScreenRect(rect, file)) {
    problem = "could not save " + file;
  } else {
    Print("Saved the dialog (" + std::to_string(rect.right - rect.left) + "x" +
          std::to_string(rect.bottom - rect.top) + " pixels) to " + file);
  }
  PostMessageW(dialog, WM_COMMAND, IDC_CLOSE, 0);
  DWORD exitCode = 0;
  if (!converter.WaitForExit(&exitCode, 10000)) {
    problem += problem.empty() ? "" : "; ";
    problem += "the converter did not close";
  } else if (exitCode != 0) {
    problem += problem.empty() ? "" : "; ";
    problem += "the converter ended with exit code " + std::to_string(exitCode);
  }
  return problem;
}

int Usage() {
  std::fputs("usage: windows_job.exe [--only NAME,NAME...] [--screenshot FILE.bmp] [--list FILE]\n",
             stderr);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  // Window rectangles and screen pixels in the same units at any display scale.
  SetProcessDPIAware();
  std::string folder = driver::TestFile(nullptr, "");
  folder.pop_back();  // the separator
  std::string list = folder + "\\runs.txt";
  std::string screenshot;
  std::vector<std::string> only;
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    if (i + 1 == argc) return Usage();
    const std::string value = argv[++i];
    if (option == "--only") {
      only = Split(value, ',');
    } else if (option == "--screenshot") {
      screenshot = value;
    } else if (option == "--list") {
      list = value;
    } else {
      return Usage();
    }
  }

  // Every run finds the program, the release and the test data in this folder, wherever it is.
  SetEnvironmentVariableA("MENSURATOR_EXE", (folder + "\\mensurator.exe").c_str());
  SetEnvironmentVariableA("MENSURATOR_RELEASE_DIR", (folder + "\\release").c_str());
  SetEnvironmentVariableA("MENSURATOR_TESTDATA_DIR", (folder + "\\data").c_str());
  // The layout test then checks the dialogs at the display's own scale.
  SetEnvironmentVariableA("MENSURATOR_DPI", nullptr);

  std::vector<Run> runs;
  if (!ReadRuns(list, &runs)) {
    Print("::error::cannot read the list of test runs " + list);
    return 1;
  }
  std::vector<std::string> failed;
  int count = 0;
  for (const std::string& name : only) {
    bool listed = false;
    for (const Run& run : runs) listed = listed || run.name == name;
    if (!listed) {
      Print("::error::" + name + " is not in " + list);
      failed.push_back(name);
    }
  }

  if (!screenshot.empty()) {
    ++count;
    Print("::group::screenshot");
    const std::string problem = Screenshot(folder + "\\mensurator.exe", screenshot);
    Print("::endgroup::");
    if (!problem.empty()) {
      Print("::error::screenshot: " + problem);
      failed.push_back("screenshot");
    }
  }

  for (const Run& run : runs) {
    bool selected = only.empty();
    for (const std::string& name : only) selected = selected || run.name == name;
    if (!selected) continue;
    ++count;
    Print("::group::" + run.name);
    const std::string problem = Execute(run, folder + "\\tests");
    Print("::endgroup::");
    if (!problem.empty()) {
      Print("::error::" + run.name + " " + problem);
      failed.push_back(run.name);
    }
  }

  if (failed.empty()) {
    Print("All " + std::to_string(count) + " runs passed.");
    return 0;
  }
  std::string names;
  for (const std::string& name : failed) names += (names.empty() ? "" : ", ") + name;
  Print("Failed: " + names);
  return 1;
}
