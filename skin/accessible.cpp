#include "skin/accessible.h"

#include "skin/props.h"
#include "skin/words.h"

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

// The answer to a property or action an object does not have, which a client may ask of the object
// itself only.
HRESULT Unsupported(const VARIANT& child) {
    return IsSelf(child) ? DISP_E_MEMBERNOTFOUND : E_INVALIDARG;
}

// What every object of the toolkit shares: reference counting, no type information, no children, the
// window's place on screen, and no answer to the questions an object has nothing to say to.
class WindowAccessible : public IAccessible {
  public:
    explicit WindowAccessible(HWND window) : window_(window) {}
    virtual ~WindowAccessible() = default;

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

    // IAccessible. No object has children: every question about another child is refused.
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        return AccessibleObjectFromWindow(window_, static_cast<DWORD>(OBJID_WINDOW), __uuidof(IDispatch),
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
        return IsSelf(child) ? AllocString(Name(), name) : E_INVALIDARG;
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        *value = nullptr;
        return Unsupported(child);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override {
        *text = nullptr;
        if (!IsSelf(child)) return E_INVALIDARG;
        const std::wstring description = Description();
        return description.empty() ? S_FALSE : AllocString(description, text);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        if (!IsSelf(child)) return E_INVALIDARG;
        role->vt = VT_I4;
        role->lVal = Role();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        if (!IsSelf(child)) return E_INVALIDARG;
        state->vt = VT_I4;
        state->lVal = State();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override { return Nothing(child, help); }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
        *file = nullptr;
        *topic = 0;
        return IsSelf(child) ? S_FALSE : E_INVALIDARG;
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* keys) override {
        return Nothing(child, keys);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
        focus->vt = VT_EMPTY;
        return DISP_E_MEMBERNOTFOUND;
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
        selection->vt = VT_EMPTY;
        return DISP_E_MEMBERNOTFOUND;
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        return Nothing(child, action);
    }
    HRESULT STDMETHODCALLTYPE accSelect(long, VARIANT child) override { return Unsupported(child); }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                          VARIANT child) override {
        if (!IsSelf(child)) return E_INVALIDARG;
        RECT rect{};
        GetWindowRect(window_, &rect);
        *left = rect.left;
        *top = rect.top;
        *width = rect.right - rect.left;
        *height = rect.bottom - rect.top;
        return S_OK;
    }
    // Nothing lies in any direction: no object has children, and clients reach siblings through the window.
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
        end->vt = VT_EMPTY;
        if (!IsSelf(start) || direction <= NAVDIR_MIN || direction >= NAVDIR_MAX) return E_INVALIDARG;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* hit) override {
        RECT rect{};
        GetWindowRect(window_, &rect);
        if (!PtInRect(&rect, POINT{x, y})) {
            hit->vt = VT_EMPTY;
            return S_FALSE;
        }
        hit->vt = VT_I4;
        hit->lVal = CHILDID_SELF;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override { return Unsupported(child); }
    // Withdrawn from the interface: every server answers E_NOTIMPL, whatever the child.
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR) override { return Unsupported(child); }

  protected:
    virtual std::wstring Name() const = 0;
    virtual std::wstring Description() const { return {}; }
    virtual long Role() const = 0;
    virtual long State() const = 0;

    static HRESULT Nothing(VARIANT child, BSTR* text) {
        *text = nullptr;
        return IsSelf(child) ? S_FALSE : E_INVALIDARG;
    }

    HWND window_;

  private:
    std::atomic<ULONG> references_{1};
};

class ButtonAccessible final : public WindowAccessible {
  public:
    using WindowAccessible::WindowAccessible;

    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
        if (GetFocus() != window_) {
            focus->vt = VT_EMPTY;
            return S_FALSE;
        }
        focus->vt = VT_I4;
        focus->lVal = CHILDID_SELF;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        *action = nullptr;
        if (!IsSelf(child)) return E_INVALIDARG;
        return AllocString(IsOption() ? kSelectAction : kPressAction, action);
    }
    // A button takes the focus and has no selection, so no other flag makes sense for it.
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
        if (!IsSelf(child) || flags != SELFLAG_TAKEFOCUS) return E_INVALIDARG;
        if (!Reachable()) return E_FAIL;
        SetFocus(window_);
        return S_OK;
    }
    // Clicks as the mouse would; posted, so that the click handler does not run inside the client's call.
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        if (!IsSelf(child)) return E_INVALIDARG;
        if (!Reachable()) return E_FAIL;
        PostMessageA(GetParent(window_), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(window_), BN_CLICKED),
                     reinterpret_cast<LPARAM>(window_));
        return S_OK;
    }

  private:
    bool IsOption() const { return GetSkinProp(window_, kPropOption) != 0; }
    // Neither the keyboard nor the mouse reaches a hidden or unavailable button, so neither does a client.
    // The call itself is right, only not now: E_FAIL, not one of the codes that say the call is wrong.
    bool Reachable() const { return IsWindowVisible(window_) && IsWindowEnabled(window_); }

    std::wstring Name() const override { return WindowWords(window_); }
    std::wstring Description() const override {
        const auto* text = reinterpret_cast<const char*>(GetSkinProp(window_, kPropDescription));
        return text ? Widen(text) : std::wstring();
    }
    long Role() const override { return IsOption() ? ROLE_SYSTEM_RADIOBUTTON : ROLE_SYSTEM_PUSHBUTTON; }
    long State() const override {
        long state = 0;
        if (!IsWindowVisible(window_)) state |= STATE_SYSTEM_INVISIBLE;
        state |= IsWindowEnabled(window_) ? STATE_SYSTEM_FOCUSABLE : STATE_SYSTEM_UNAVAILABLE;
        if (GetFocus() == window_) state |= STATE_SYSTEM_FOCUSED;
        if (IsOption() && GetSkinProp(window_, kPropChecked)) state |= STATE_SYSTEM_CHECKED;
        return state;
    }
};

// The texts are copied: the object may be asked long after the alert was raised.
class AlertAccessible final : public WindowAccessible {
  public:
    AlertAccessible(HWND window, const char* title, const char* text)
        : WindowAccessible(window), title_(Widen(title)), text_(Widen(text)) {}

  private:
    std::wstring Name() const override { return title_; }
    std::wstring Description() const override { return text_; }
    long Role() const override { return ROLE_SYSTEM_ALERT; }
    // Clients read an alert without a level as one that was cleared. The program's alerts tell how a task
    // the user waited for ended: worth hearing at once, no emergency.
    long State() const override { return STATE_SYSTEM_READONLY | STATE_SYSTEM_ALERT_MEDIUM; }

    std::wstring title_, text_;
};

LRESULT Answer(IAccessible* object, WPARAM wParam) {
    const LRESULT answer = LresultFromObject(__uuidof(IAccessible), wParam, object);
    object->Release();
    return answer < 0 ? 0 : answer; // a failure is a negative error code
}

} // namespace

IAccessible* NewButtonAccessible(HWND button) {
    return new ButtonAccessible(button);
}

LRESULT AnswerObjectRequest(HWND button, WPARAM wParam, LPARAM lParam) {
    if (static_cast<DWORD>(lParam) != static_cast<DWORD>(OBJID_CLIENT)) return 0;
    return Answer(NewButtonAccessible(button), wParam);
}

LRESULT AnswerAlertRequest(HWND window, WPARAM wParam, const char* title, const char* text) {
    return Answer(new AlertAccessible(window, title, text), wParam);
}

} // namespace skin
