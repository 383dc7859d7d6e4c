// Names the converter dialog's controls through IAccPropServices (oleacc's annotation service,
// created through COM) when first asked, and takes the names away again before the controls go.
#include "ui/accessible_names.h"

#include <commctrl.h>
// The annotation service's ids are defined here, from the header, rather than taken from
// MinGW's uuid library, which the release's runtime notices do not cover.
#include <initguid.h>
#include <oleacc.h>

#include "res/resource_ids.h"

namespace {

// The dialog's input controls, the up-down beside its field; Close is named by its own text.
constexpr int kNamedControls[] = {IDC_VALUE,         IDC_CATEGORY, IDC_FROM_UNIT, IDC_DECIMALS,
                                  IDC_DECIMALS_SPIN, IDC_TO_UNIT,  IDC_RESULT,    IDC_RESULT_SCI};

// Room for the longest name in the resources, and more.
constexpr int kNameSize = 64;

const MSAAPROPID kNameProperty[] = {PROPID_ACC_NAME};

constexpr UINT_PTR kWaitingSubclass = 1;

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
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return;

  IAccPropServices* service = nullptr;
  bool named = false;
  if (SUCCEEDED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
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
  CoUninitialize();
}

LRESULT CALLBACK WaitForFirstQuestion(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);

void StopWaiting(HWND dialog) {
  for (const int id : kNamedControls) {
    RemoveWindowSubclass(GetDlgItem(dialog, id), WaitForFirstQuestion, kWaitingSubclass);
  }
}

// Leaves every control before naming them, so that questions asked while naming go straight
// to the controls.
LRESULT CALLBACK WaitForFirstQuestion(HWND control, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR, DWORD_PTR dialog) {
  if (message == WM_GETOBJECT) {
    StopWaiting(reinterpret_cast<HWND>(dialog));
    NameControls(reinterpret_cast<HWND>(dialog));
  }
  return DefSubclassProc(control, message, wParam, lParam);
}

}  // namespace

void NameControlsWhenAsked(HWND dialog) {
  for (const int id : kNamedControls) {
    SetWindowSubclass(GetDlgItem(dialog, id), WaitForFirstQuestion, kWaitingSubclass,
                      reinterpret_cast<DWORD_PTR>(dialog));
  }
}

void ClearControlNames(HWND dialog) {
  StopWaiting(dialog);
  const auto service = reinterpret_cast<IAccPropServices*>(SetWindowLongPtrA(dialog, DWLP_USER, 0));
  if (service == nullptr) return;
  for (const int id : kNamedControls) {
    if (const HWND control = GetDlgItem(dialog, id)) {
      service->ClearHwndProps(control, OBJID_CLIENT, CHILDID_SELF, kNameProperty, 1);
    }
  }
  service->Release();
  CoUninitialize();
}
