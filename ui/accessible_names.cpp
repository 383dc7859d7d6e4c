// Names the converter dialog's controls through IAccPropServices (oleacc's annotation service,
// created through COM), and takes the names away again before the controls go.
#include "ui/accessible_names.h"

#include <oleacc.h>

#include "res/resource_ids.h"

namespace {

// The dialog's input controls, the up-down beside its field; Close is named by its own text.
constexpr int kNamedControls[] = {IDC_VALUE,         IDC_CATEGORY, IDC_FROM_UNIT, IDC_DECIMALS,
                                  IDC_DECIMALS_SPIN, IDC_TO_UNIT,  IDC_RESULT,    IDC_RESULT_SCI};

// Room for the longest name in the resources, and more.
constexpr int kNameSize = 64;

const MSAAPROPID kNameProperty[] = {PROPID_ACC_NAME};

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

}  // namespace

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

void ClearControlNames(HWND dialog) {
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
