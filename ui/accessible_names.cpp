// Names the converter dialog's controls through IAccPropServices (oleacc's annotation service,
// created through COM) when first asked, and takes the names away again before the controls go.
// ole32 is loaded then, not imported: on Windows it brings combase, rpcrt4 and more into every
// start, for the few programs that ask.
#include "ui/accessible_names.h"

// The annotation service's ids are defined here, from the header, rather than taken from
// MinGW's uuid library, which the release's runtime notices do not cover.
#include <initguid.h>
#include <oleacc.h>

#include <cwchar>

#include "res/resource_ids.h"

namespace {

// The dialog's input controls, the up-down beside its field; Close is named by its own text.
constexpr int kNamedControls[] = {IDC_VALUE,         IDC_CATEGORY, IDC_FROM_UNIT, IDC_DECIMALS,
                                  IDC_DECIMALS_SPIN, IDC_TO_UNIT,  IDC_RESULT,    IDC_RESULT_SCI};

// Room for the longest name in the resources, and more.
constexpr int kNameSize = 64;

// The dialog's DWLP_USER is zero until a control is first asked; from then on it holds the
// service that keeps the names, or this, where none were given or naming has not finished. No
// object lies in the lowest 64 KiB of a Windows process, so it is never a service's address.
constexpr LONG_PTR kNothingNamed = 1;

const MSAAPROPID kNameProperty[] = {PROPID_ACC_NAME};

// ole32's entry points that naming needs; all null where it could not be loaded.
struct Com {
  decltype(&CoInitializeEx) initialize = nullptr;
  decltype(&CoCreateInstance) createInstance = nullptr;
  decltype(&CoUninitialize) uninitialize = nullptr;
};
Com com;

template <typename Function>
void Resolve(HMODULE module, const char* name, Function* function) {
  // Through a function type without parameters, which GCC allows any function pointer to become.
  *function =
      reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// From the system folder only, never the search path, where a planted ole32.dll could lie.
// Vista and 7 without KB2533623 refuse the search flag as an invalid parameter; there the
// folder's full path is given instead, and ole32's own DLLs are searched for beside it.
HMODULE LoadOle32() {
  const HMODULE module = LoadLibraryExW(L"ole32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (module != nullptr || GetLastError() != ERROR_INVALID_PARAMETER) return module;
  static const WCHAR kName[] = L"\\ole32.dll";
  WCHAR path[MAX_PATH];
  const UINT length = GetSystemDirectoryW(path, MAX_PATH);
  if (length == 0 || length + sizeof kName / sizeof *kName > MAX_PATH) return nullptr;
  std::wcscpy(path + length, kName);
  return LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

// Loads ole32 and its entry points on the first call; true once all three are there.
bool LoadCom() {
  static bool tried = false;
  if (!tried) {
    tried = true;
    if (const HMODULE ole32 = LoadOle32()) {
      Com found;
      Resolve(ole32, "CoInitializeEx", &found.initialize);
      Resolve(ole32, "CoCreateInstance", &found.createInstance);
      Resolve(ole32, "CoUninitialize", &found.uninitialize);
      if (found.initialize && found.createInstance && found.uninitialize) com = found;
    }
  }
  return com.initialize != nullptr;
}

// Sets the name of the control `id` from its string; true when the service took it.
bool NameControl(IAccPropServices* service, HWND dialog, HINSTANCE module, int id) {
  const HWND control = GetDlgItem(dialog, id);
  char name[kNameSize];
  if (control == nullptr || LoadStringA(module, id, name, kNameSize) == 0) return false;
  WCHAR wideName[kNameSize];
  if (MultiByteToWideChar(CP_ACP, 0, name, -1, wideName, kNameSize) == 0) return false;
  return SUCCEEDED(
      service->SetHwndPropStr(control, OBJID_CLIENT, CHILDID_SELF, PROPID_ACC_NAME, wideName));
}

void NameControls(HWND dialog) {
  // Marked first, so that a question asked while naming runs, through a control that cannot
  // stop waiting, finds the dialog asked already.
  SetWindowLongPtrA(dialog, DWLP_USER, kNothingNamed);
  if (!LoadCom() || FAILED(com.initialize(nullptr, COINIT_APARTMENTTHREADED))) return;

  IAccPropServices* service = nullptr;
  bool named = false;
  if (SUCCEEDED(com.createInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IAccPropServices, reinterpret_cast<void**>(&service)))) {
    const auto module = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(dialog, GWLP_HINSTANCE));
    for (const int id : kNamedControls) named |= NameControl(service, dialog, module, id);
  }
  // The service is kept, and COM with it, for as long as there are names to clear.
  if (named) {
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(service));
    return;
  }
  if (service != nullptr) service->Release();
  com.uninitialize();
}

LRESULT CALLBACK WaitForFirstQuestion(HWND control, UINT message, WPARAM wParam, LPARAM lParam);

// The procedures are swapped in the wide form, which leaves the controls Unicode windows and
// their messages untranslated. A control whose procedure something else has replaced since
// keeps waiting underneath it, passing every message on to its own.
void StopWaiting(HWND dialog) {
  for (const int id : kNamedControls) {
    const HWND control = GetDlgItem(dialog, id);
    if (control == nullptr || GetWindowLongPtrW(control, GWLP_WNDPROC) !=
                                  reinterpret_cast<LONG_PTR>(WaitForFirstQuestion))
      continue;
    SetWindowLongPtrW(control, GWLP_WNDPROC, GetWindowLongPtrW(control, GWLP_USERDATA));
    SetWindowLongPtrW(control, GWLP_USERDATA, 0);
  }
}

// A waiting control's own procedure is kept in its GWLP_USERDATA, which the standard controls
// leave to the program: read on every message, it costs nothing, where Wine asks its server for
// each window property, and comctl32's subclassing reads one per message.
LRESULT CALLBACK WaitForFirstQuestion(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
  const auto own = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(control, GWLP_USERDATA));
  // Only the dialog's first question names the controls, whichever control still waits. Every
  // control that can leaves before any is named, so that questions asked while naming go
  // straight to the controls.
  if (message == WM_GETOBJECT) {
    const HWND dialog = GetParent(control);
    if (GetWindowLongPtrA(dialog, DWLP_USER) == 0) {
      StopWaiting(dialog);
      NameControls(dialog);
    }
  }
  return CallWindowProcW(own, control, message, wParam, lParam);
}

}  // namespace

void NameControlsWhenAsked(HWND dialog) {
  for (const int id : kNamedControls) {
    if (const HWND control = GetDlgItem(dialog, id)) {
      SetWindowLongPtrW(control, GWLP_USERDATA,
                        SetWindowLongPtrW(control, GWLP_WNDPROC,
                                          reinterpret_cast<LONG_PTR>(WaitForFirstQuestion)));
    }
  }
}

void ClearControlNames(HWND dialog) {
  StopWaiting(dialog);
  // The mark stays, so that a question while the controls go names nothing again.
  const LONG_PTR kept = SetWindowLongPtrA(dialog, DWLP_USER, kNothingNamed);
  if (kept == 0 || kept == kNothingNamed) return;
  const auto service = reinterpret_cast<IAccPropServices*>(kept);
  for (const int id : kNamedControls) {
    if (const HWND control = GetDlgItem(dialog, id)) {
      service->ClearHwndProps(control, OBJID_CLIENT, CHILDID_SELF, kNameProperty, 1);
    }
  }
  service->Release();
  com.uninitialize();
}
