// An LED's accessible object on oleacc, looked up from the system folder when a screen reader
// first asks (nothing of it is loaded otherwise).
#include "app/led_accessible_win.h"

#include <oleacc.h>

#include <new>
#include <string>

#include "app/app_state.h"
#include "app/event_layer.h"
#include "app/numbering.h"
#include "app/system_library_win.h"
#include "display/drive_tip_text.h"
#include "display/drive_tip_text_win.h"
#include "settings/path_text_win.h"

namespace {

using StdObjectFn = HRESULT(WINAPI*)(HWND, LONG, REFIID, void**);
using LresultFn = LRESULT(WINAPI*)(REFIID, WPARAM, LPUNKNOWN);
using AllocStringFn = BSTR(WINAPI*)(const OLECHAR*);

struct Oleacc {
    StdObjectFn StdObject = nullptr;
    LresultFn Lresult = nullptr;
    AllocStringFn AllocString = nullptr;
};

const Oleacc& OleaccFunctions() {
    static Oleacc functions;
    static bool looked = false;
    if (!looked) {
        looked = true;
        const HMODULE oleacc = LoadSystemLibrary(L"oleacc.dll");
        functions.StdObject = FindFunction<StdObjectFn>(oleacc, "CreateStdAccessibleObject");
        functions.Lresult = FindFunction<LresultFn>(oleacc, "LresultFromObject");
        functions.AllocString =
            FindFunction<AllocStringFn>(LoadSystemLibrary(L"oleaut32.dll"), "SysAllocString");
    }
    return functions;
}

bool IsSelf(const VARIANT& child) {
    return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

// The LED itself as its own object; everything a window's standard object knows (place, state,
// parent, neighbours, focus) comes from that object. It hands out only what it is itself: an
// interface of the standard object would answer back for that object (COM's identity rule), and
// its IServiceProvider would tell UI Automation that this is oleacc's own proxy, which it then
// skips to read the bare window, name and all.
class LedAccessible final : public IAccessible, public IOleWindow {
  public:
    LedAccessible(HWND control, IAccessible* standard) : control_(control), standard_(standard) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) || iid == __uuidof(IAccessible))
            *out = static_cast<IAccessible*>(this);
        else if (iid == __uuidof(IOleWindow)) // how a client finds the window of an object
            *out = static_cast<IOleWindow*>(this);
        else {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) {
            standard_->Release();
            HeapFree(GetProcessHeap(), 0, this); // nothing else to undo
        }
        return left;
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return E_NOTIMPL;
    }

    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* text) override {
        return Text(child, TipName, text);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override {
        return Text(child, TipKind, text);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* text) override {
        return Text(child, TipFigures, text);
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* text) override {
        return Text(child, -1, text);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        if (!IsSelf(child)) return standard_->get_accRole(child, role);
        role->vt = VT_I4;
        role->lVal = ROLE_SYSTEM_PUSHBUTTON;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        if (!IsSelf(child)) return E_INVALIDARG;
        if (!IsWindow(control_)) return RPC_E_DISCONNECTED;
        // Opened by the main loop after this call returns, as a double-click is: the reader's
        // call does not wait for Explorer.
        PostMessageA(GetParent(control_), MsgControlClick,
                     static_cast<WPARAM>(GetDlgCtrlID(control_)), OpenRequested);
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        return standard_->get_accParent(parent);
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
        return standard_->get_accChildCount(count);
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
        return standard_->get_accChild(child, out);
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        return standard_->get_accState(child, state);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* text) override {
        return standard_->get_accHelp(child, text);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
        return standard_->get_accHelpTopic(file, child, topic);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* text) override {
        return standard_->get_accKeyboardShortcut(child, text);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override {
        return standard_->get_accFocus(child);
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override {
        return standard_->get_accSelection(children);
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
        return standard_->accSelect(flags, child);
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* x, long* y, long* w, long* h,
                                          VARIANT child) override {
        return standard_->accLocation(x, y, w, h, child);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
        return standard_->accNavigate(direction, start, end);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override {
        return standard_->accHitTest(x, y, child);
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
        *window = control_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

  private:
    // A part of the LED's tip, asked now; -1 the default action's name.
    HRESULT Text(const VARIANT& child, int part, BSTR* text) {
        *text = nullptr;
        if (!IsSelf(child)) return E_INVALIDARG;
        if (!IsWindow(control_)) return RPC_E_DISCONNECTED;
        const std::string said =
            part < 0 ? std::string("Open") : TipPart(DriveTipText(GetDlgCtrlID(control_)), part);
        if (said.empty()) return S_FALSE;
        *text = OleaccFunctions().AllocString(WidePathFromUtf8(said).c_str());
        return *text ? S_OK : E_OUTOFMEMORY;
    }

    HWND control_;
    IAccessible* standard_;
    ULONG references_ = 1;
};

} // namespace

IAccessible* NewLedAccessible(HWND control) {
    StartCom();
    const Oleacc& oleacc = OleaccFunctions();
    IAccessible* standard = nullptr;
    if (!oleacc.StdObject || !oleacc.Lresult || !oleacc.AllocString ||
        FAILED(oleacc.StdObject(control, OBJID_CLIENT, __uuidof(IAccessible),
                                reinterpret_cast<void**>(&standard))))
        return nullptr;
    // From the heap directly: the library's operator new would bring its exception machinery.
    void* memory = HeapAlloc(GetProcessHeap(), 0, sizeof(LedAccessible));
    if (!memory) {
        standard->Release();
        return nullptr;
    }
    return new (memory) LedAccessible(control, standard);
}

bool AnswerLedAccessibility(HWND control, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (static_cast<LONG>(lParam) != OBJID_CLIENT) return false;
    IAccessible* led = NewLedAccessible(control);
    if (!led) return false;
    *result = OleaccFunctions().Lresult(__uuidof(IAccessible), wParam, led);
    led->Release(); // the answer holds its own reference
    return true;
}
