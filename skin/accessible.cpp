#include "skin/accessible.h"

#include "skin/painter.h"
#include "skin/props.h"

#include <atomic>
#include <string>

namespace skin {
namespace {

constexpr wchar_t kPressAction[] = L"按下";
constexpr wchar_t kSelectAction[] = L"选择";

bool IsSelf(const VARIANT& child) {
    return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

HRESULT AllocString(const std::wstring& text, BSTR* out) {
    *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

std::wstring WideText(HWND window) {
    const std::string text = ReadWindowText(window);
    const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(length > 0 ? length : 0, L'\0');
    if (length > 0)
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

class ButtonAccessible final : public IAccessible {
  public:
    explicit ButtonAccessible(HWND button) : button_(button) {}

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        if (riid != __uuidof(IUnknown) && riid != __uuidof(IDispatch) && riid != __uuidof(IAccessible)) {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        *out = static_cast<IAccessible*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

    // IDispatch: no type information; clients call the IAccessible methods directly.
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

    // IAccessible. The button has no children: every question about another child is refused.
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        return AccessibleObjectFromWindow(button_, static_cast<DWORD>(OBJID_WINDOW), __uuidof(IDispatch),
                                          reinterpret_cast<void**>(parent));
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT, IDispatch** child) override {
        *child = nullptr;
        return E_INVALIDARG;
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        *name = nullptr;
        return IsSelf(child) ? AllocString(WideText(button_), name) : E_INVALIDARG;
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        return Nothing(child, value);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override {
        return Nothing(child, text);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        if (!IsSelf(child)) return E_INVALIDARG;
        role->vt = VT_I4;
        role->lVal = IsOption() ? ROLE_SYSTEM_RADIOBUTTON : ROLE_SYSTEM_PUSHBUTTON;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        if (!IsSelf(child)) return E_INVALIDARG;
        state->vt = VT_I4;
        state->lVal = State();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override { return Nothing(child, help); }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, long* topic) override {
        *file = nullptr;
        *topic = 0;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* keys) override {
        return Nothing(child, keys);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
        if (GetFocus() != button_) {
            focus->vt = VT_EMPTY;
            return S_FALSE;
        }
        focus->vt = VT_I4;
        focus->lVal = CHILDID_SELF;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
        selection->vt = VT_EMPTY;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        *action = nullptr;
        if (!IsSelf(child)) return E_INVALIDARG;
        return AllocString(IsOption() ? kSelectAction : kPressAction, action);
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
        if (!IsSelf(child)) return E_INVALIDARG;
        if (flags != SELFLAG_TAKEFOCUS) return E_NOTIMPL;
        SetFocus(button_);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                          VARIANT child) override {
        if (!IsSelf(child)) return E_INVALIDARG;
        RECT rect{};
        GetWindowRect(button_, &rect);
        *left = rect.left;
        *top = rect.top;
        *width = rect.right - rect.left;
        *height = rect.bottom - rect.top;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long, VARIANT, VARIANT* end) override {
        end->vt = VT_EMPTY;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* hit) override {
        RECT rect{};
        GetWindowRect(button_, &rect);
        if (!PtInRect(&rect, POINT{x, y})) {
            hit->vt = VT_EMPTY;
            return S_FALSE;
        }
        hit->vt = VT_I4;
        hit->lVal = CHILDID_SELF;
        return S_OK;
    }
    // Clicks as the mouse would; posted, so that the click handler does not run inside the client's call.
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        if (!IsSelf(child)) return E_INVALIDARG;
        if (!IsWindowEnabled(button_)) return E_FAIL;
        PostMessageA(GetParent(button_), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button_), BN_CLICKED),
                     reinterpret_cast<LPARAM>(button_));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

  private:
    bool IsOption() const { return GetProp(button_, kPropOption) != 0; }

    long State() const {
        long state = 0;
        if (!IsWindowVisible(button_)) state |= STATE_SYSTEM_INVISIBLE;
        state |= IsWindowEnabled(button_) ? STATE_SYSTEM_FOCUSABLE : STATE_SYSTEM_UNAVAILABLE;
        if (GetFocus() == button_) state |= STATE_SYSTEM_FOCUSED;
        if (IsOption() && GetProp(button_, kPropChecked)) state |= STATE_SYSTEM_CHECKED;
        return state;
    }

    static HRESULT Nothing(VARIANT child, BSTR* text) {
        *text = nullptr;
        return IsSelf(child) ? S_FALSE : E_INVALIDARG;
    }

    HWND button_;
    std::atomic<ULONG> references_{1};
};

} // namespace

IAccessible* NewButtonAccessible(HWND button) {
    return new ButtonAccessible(button);
}

LRESULT AnswerObjectRequest(HWND button, WPARAM wParam, LPARAM lParam) {
    if (static_cast<DWORD>(lParam) != static_cast<DWORD>(OBJID_CLIENT)) return 0;
    IAccessible* object = NewButtonAccessible(button);
    const LRESULT answer = LresultFromObject(__uuidof(IAccessible), wParam, object);
    object->Release();
    return answer < 0 ? 0 : answer; // a failure is a negative error code
}

} // namespace skin
