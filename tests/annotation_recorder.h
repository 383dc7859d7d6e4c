// A stand-in for oleacc's annotation service, put in its class's place in the test's own process
// where the real one names nothing (Wine): it writes down what the program asks of it.
#ifndef MENSURATOR_TESTS_ANNOTATION_RECORDER_H
#define MENSURATOR_TESTS_ANNOTATION_RECORDER_H

#include <windows.h>

#include <initguid.h>  // the service's ids from the header, as the dialog defines its own
#include <oleacc.h>

#include <set>
#include <string>

namespace annotation_recorder {

// "ID name: TEXT" for the accessible name of a control's own client object, "ID other" for any
// other annotation; the text only where given.
inline std::string Line(int id, LONG object, LONG child, const MSAAPROPID* properties, int count,
                        const WCHAR* text = nullptr) {
  const bool name = object == OBJID_CLIENT && child == CHILDID_SELF && count == 1 &&
                    IsEqualGUID(properties[0], PROPID_ACC_NAME);
  std::string line = std::to_string(id) + (name ? " name" : " other");
  if (text != nullptr) line += ": " + std::string(text, text + lstrlenW(text));  // ASCII names
  return line;
}

// For Recorder::refused: every control.
constexpr int kEveryControl = -1;

// Records SetHwndPropStr and ClearHwndProps, answering S_OK but for the naming of the control
// `refused` (E_FAIL), and counts the references held on it; every other method is E_NOTIMPL.
class Recorder : public IAccPropServices {
 public:
  std::multiset<std::string> named, cleared;
  int refused = 0;
  LONG references = 0;

  HRESULT WINAPI QueryInterface(REFIID iid, void** object) override {
    const bool known = IsEqualIID(iid, __uuidof(IUnknown)) || IsEqualIID(iid, IID_IAccPropServices);
    *object = known ? this : nullptr;
    if (known) AddRef();
    return known ? S_OK : E_NOINTERFACE;
  }
  ULONG WINAPI AddRef() override { return ++references; }
  ULONG WINAPI Release() override { return --references; }

  HRESULT WINAPI SetHwndPropStr(HWND hwnd, DWORD object, DWORD child, MSAAPROPID property,
                                LPCWSTR text) override {
    const int id = GetDlgCtrlID(hwnd);
    named.insert(Line(id, object, child, &property, 1, text));
    return refused == id || refused == kEveryControl ? E_FAIL : S_OK;
  }
  HRESULT WINAPI ClearHwndProps(HWND hwnd, DWORD object, DWORD child, const MSAAPROPID* properties,
                                int count) override {
    cleared.insert(Line(GetDlgCtrlID(hwnd), object, child, properties, count));
    return S_OK;
  }

// The methods the naming does not use.
#define MENSURATOR_NOT_USED(method, ...) \
  HRESULT WINAPI method(__VA_ARGS__) override { return E_NOTIMPL; }
  MENSURATOR_NOT_USED(SetPropValue, const BYTE*, DWORD, MSAAPROPID, VARIANT)
  MENSURATOR_NOT_USED(SetPropServer, const BYTE*, DWORD, const MSAAPROPID*, int, IAccPropServer*,
                      AnnoScope)
  MENSURATOR_NOT_USED(ClearProps, const BYTE*, DWORD, const MSAAPROPID*, int)
  MENSURATOR_NOT_USED(SetHwndProp, HWND, DWORD, DWORD, MSAAPROPID, VARIANT)
  MENSURATOR_NOT_USED(SetHwndPropServer, HWND, DWORD, DWORD, const MSAAPROPID*, int,
                      IAccPropServer*, AnnoScope)
  MENSURATOR_NOT_USED(ComposeHwndIdentityString, HWND, DWORD, DWORD, BYTE**, DWORD*)
  MENSURATOR_NOT_USED(DecomposeHwndIdentityString, const BYTE*, DWORD, HWND*, DWORD*, DWORD*)
  MENSURATOR_NOT_USED(SetHmenuProp, HMENU, DWORD, MSAAPROPID, VARIANT)
  MENSURATOR_NOT_USED(SetHmenuPropStr, HMENU, DWORD, MSAAPROPID, LPCWSTR)
  MENSURATOR_NOT_USED(SetHmenuPropServer, HMENU, DWORD, const MSAAPROPID*, int, IAccPropServer*,
                      AnnoScope)
  MENSURATOR_NOT_USED(ClearHmenuProps, HMENU, DWORD, const MSAAPROPID*, int)
  MENSURATOR_NOT_USED(ComposeHmenuIdentityString, HMENU, DWORD, BYTE**, DWORD*)
  MENSURATOR_NOT_USED(DecomposeHmenuIdentityString, const BYTE*, DWORD, HMENU*, DWORD*)
#undef MENSURATOR_NOT_USED
};

// While it lives, COM is started on this thread and CoCreateInstance of the annotation service's
// class, in process, gives the recorder; `started` and `registered` are what CoInitializeEx and
// CoRegisterClassObject answered. Kept by its owner, so COM's references do not decide its life.
class Registration : public IClassFactory {
 public:
  explicit Registration(Recorder* recorder)
      : recorder(recorder),
        started(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)),
        registered(CoRegisterClassObject(CLSID_AccPropServices, this, CLSCTX_INPROC_SERVER,
                                         REGCLS_MULTIPLEUSE, &cookie)) {}
  ~Registration() {
    if (SUCCEEDED(registered)) CoRevokeClassObject(cookie);
    if (SUCCEEDED(started)) CoUninitialize();
  }

  HRESULT WINAPI QueryInterface(REFIID iid, void** object) override {
    const bool known = IsEqualIID(iid, __uuidof(IUnknown)) || IsEqualIID(iid, IID_IClassFactory);
    *object = known ? this : nullptr;
    return known ? S_OK : E_NOINTERFACE;
  }
  ULONG WINAPI AddRef() override { return 2; }
  ULONG WINAPI Release() override { return 1; }
  HRESULT WINAPI CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
    *object = nullptr;
    return outer != nullptr ? CLASS_E_NOAGGREGATION : recorder->QueryInterface(iid, object);
  }
  HRESULT WINAPI LockServer(BOOL) override { return S_OK; }

 private:
  Recorder* recorder;
  DWORD cookie = 0;

 public:
  const HRESULT started, registered;
};

}  // namespace annotation_recorder

#endif
