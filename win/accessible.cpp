#include "win/accessible.h"

#include <commctrl.h>
#include <oleacc.h>

#include <optional>
#include <utility>

#include "text/wide.h"
#include "win/system_library.h"
#include "win/window.h"

namespace win {

static_assert(role::kClient == ROLE_SYSTEM_CLIENT && role::kTable == ROLE_SYSTEM_TABLE &&
              role::kColumnHeader == ROLE_SYSTEM_COLUMNHEADER && role::kRow == ROLE_SYSTEM_ROW &&
              role::kCell == ROLE_SYSTEM_CELL && role::kList == ROLE_SYSTEM_LIST &&
              role::kListItem == ROLE_SYSTEM_LISTITEM && role::kStaticText == ROLE_SYSTEM_STATICTEXT &&
              role::kText == ROLE_SYSTEM_TEXT && role::kPushButton == ROLE_SYSTEM_PUSHBUTTON &&
              role::kGrouping == ROLE_SYSTEM_GROUPING && role::kCheckButton == ROLE_SYSTEM_CHECKBUTTON &&
              role::kSlider == ROLE_SYSTEM_SLIDER);
static_assert(state::kUnavailable == STATE_SYSTEM_UNAVAILABLE && state::kSelected == STATE_SYSTEM_SELECTED &&
              state::kFocused == STATE_SYSTEM_FOCUSED && state::kPressed == STATE_SYSTEM_PRESSED &&
              state::kChecked == STATE_SYSTEM_CHECKED && state::kReadOnly == STATE_SYSTEM_READONLY &&
              state::kInvisible == STATE_SYSTEM_INVISIBLE && state::kFocusable == STATE_SYSTEM_FOCUSABLE &&
              state::kSelectable == STATE_SYSTEM_SELECTABLE);

namespace {

// The interfaces' identities, written out here: taken from the import library of oleacc, the
// identity of IAccessible would be an import of oleacc itself, which the program loads only when
// a screen reader asks.
constexpr GUID kIidUnknown{0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr GUID kIidDispatch{0x00020400, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr GUID kIidEnumVariant{0x00020404, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr GUID kIidOleWindow{0x00000114, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr GUID kIidAccessible{0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

bool Same(REFIID a, const GUID& b) { return IsEqualGUID(a, b) != FALSE; }

constexpr const wchar_t* kOleAcc = L"oleacc.dll";
constexpr const wchar_t* kOleAut = L"oleaut32.dll";
constexpr const wchar_t* kCom = L"ole32.dll";

// A screen reader's question comes on the window's thread; COM is started there (an apartment of
// its own, as a window thread has) the first time, and stays until the thread ends.
bool ComStarted() {
    thread_local bool started = false;
    if (started) return true;
    const auto initialize = SystemFunction<decltype(&CoInitializeEx)>(kCom, "CoInitializeEx");
    if (!initialize) return false;
    const HRESULT result = initialize(nullptr, COINIT_APARTMENTTHREADED);
    started = SUCCEEDED(result) || result == RPC_E_CHANGED_MODE;
    return started;
}

BSTR MakeText(const std::string& gbk) {
    static const auto allocate = SystemFunction<decltype(&SysAllocString)>(kOleAut, "SysAllocString");
    if (!allocate) return nullptr;
    return allocate(text::GbkToWide(gbk).c_str());
}

// The system's own object of a window (a standard control, the frame of ours).
IAccessible* SystemObjectOf(HWND window, LONG object) {
    static const auto from_window =
        SystemFunction<decltype(&AccessibleObjectFromWindow)>(kOleAcc, "AccessibleObjectFromWindow");
    void* found = nullptr;
    if (!from_window || FAILED(from_window(window, static_cast<DWORD>(object), kIidAccessible, &found))) return nullptr;
    return static_cast<IAccessible*>(found);
}

IAccessible* StandardObjectOf(HWND window, LONG object) {
    static const auto create =
        SystemFunction<decltype(&CreateStdAccessibleObject)>(kOleAcc, "CreateStdAccessibleObject");
    void* made = nullptr;
    if (!create || FAILED(create(window, object, kIidAccessible, &made))) return nullptr;
    return static_cast<IAccessible*>(made);
}

LRESULT ResultOf(IAccessible* object, WPARAM wparam) {
    static const auto result_from = SystemFunction<decltype(&LresultFromObject)>(kOleAcc, "LresultFromObject");
    if (!result_from) return 0;
    const LRESULT result = result_from(kIidAccessible, wparam, object);
    return FAILED(static_cast<HRESULT>(result)) ? 0 : result;
}

bool IsClientObject(LPARAM lparam) { return static_cast<LONG>(static_cast<DWORD>(lparam)) == OBJID_CLIENT; }

VARIANT Empty() {
    VARIANT v;
    v.vt = VT_EMPTY;
    return v;
}

VARIANT Number(long value) {
    VARIANT v;
    v.vt = VT_I4;
    v.lVal = value;
    return v;
}

VARIANT Object(IDispatch* object) {
    VARIANT v;
    v.vt = VT_DISPATCH;
    v.pdispVal = object;
    return v;
}

// The IDispatch half of an IAccessible: no type information; screen readers call the methods.
#define TEMPO_NO_DISPATCH                                                                         \
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {                             \
        if (!count) return E_POINTER;                                                              \
        *count = 0;                                                                                \
        return S_OK;                                                                               \
    }                                                                                              \
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {                 \
        if (info) *info = nullptr;                                                                 \
        return E_NOTIMPL;                                                                          \
    }                                                                                              \
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {     \
        return E_NOTIMPL;                                                                          \
    }                                                                                              \
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, \
                                     UINT*) override {                                             \
        return E_NOTIMPL;                                                                          \
    }

}  // namespace

// --- the content's objects --------------------------------------------------------------------------

struct AccessibleContent::Tree {
    const Window* window = nullptr;  // nullptr once the window is gone
    std::function<AccessibleItems()> describe;
    std::function<void(int item)> act;
    std::optional<AccessibleItems> items;

    const AccessibleItems* Items() {
        if (!window) return nullptr;
        if (!items) items = describe();
        return &*items;
    }
    // The items directly under one (-1: the window's client area), in their order.
    std::vector<int> ChildrenOf(int item) {
        std::vector<int> children;
        if (const AccessibleItems* all = Items())
            for (int i = 0; i < static_cast<int>(all->size()); ++i)
                if ((*all)[i].parent == item) children.push_back(i);
        return children;
    }
    // An item's rectangle on the screen (pixels).
    RECT ScreenRect(int item) {
        RECT r{};
        const AccessibleItems* all = Items();
        if (!all) return r;
        HWND handle = window->handle();
        if (item < 0) {
            GetClientRect(handle, &r);
        } else if ((*all)[item].window) {
            GetWindowRect((*all)[item].window, &r);
            return r;
        } else {
            r = window->scale().Rect((*all)[item].rect);
        }
        MapWindowPoints(handle, nullptr, reinterpret_cast<POINT*>(&r), 2);
        return r;
    }
};

namespace {

using Tree = std::shared_ptr<AccessibleContent::Tree>;

// One item of the content (or, for item -1, the client area holding them) as an object.
class Element final : public IAccessible {
public:
    Element(Tree tree, int item) : tree_(std::move(tree)), item_(item) {}

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** out) override {
        if (!out) return E_POINTER;
        if (Same(id, kIidUnknown) || Same(id, kIidDispatch) || Same(id, kIidAccessible)) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    TEMPO_NO_DISPATCH

    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        if (!parent) return E_POINTER;
        *parent = nullptr;
        const AccessibleItems* all = tree_->Items();
        if (!all) return E_FAIL;
        if (item_ < 0) {
            *parent = SystemObjectOf(tree_->window->handle(), OBJID_WINDOW);
            return *parent ? S_OK : S_FALSE;
        }
        *parent = new Element(tree_, (*all)[item_].parent);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
        if (!count) return E_POINTER;
        if (!tree_->Items()) return E_FAIL;
        *count = static_cast<long>(tree_->ChildrenOf(item_).size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        int target = 0;
        if (const HRESULT h = Resolve(child, &target); h != S_OK) return h;
        if (target == item_) return E_INVALIDARG;
        *out = ObjectOf(target);
        return *out ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        return TextOf(child, name, &IAccessible::get_accName, [](const AccessibleItem& i) { return i.name; },
                      [this] { return WindowTitle(); });
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        return TextOf(child, value, &IAccessible::get_accValue, [](const AccessibleItem& i) { return i.value; },
                      [] { return std::string(); });
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override { return NoText(child, text); }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* text) override { return NoText(child, text); }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, long* topic) override {
        if (file) *file = nullptr;
        if (topic) *topic = 0;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* text) override { return NoText(child, text); }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* text) override {
        return TextOf(child, text, &IAccessible::get_accDefaultAction, [](const AccessibleItem& i) { return i.action; },
                      [] { return std::string(); });
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* out) override {
        return NumberOf(child, out, &IAccessible::get_accRole, [](const AccessibleItem& i) { return i.role; },
                        [] { return role::kClient; });
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* out) override {
        return NumberOf(child, out, &IAccessible::get_accState, [](const AccessibleItem& i) { return i.state; },
                        [this] {
                            HWND handle = tree_->window->handle();
                            return (IsWindowVisible(handle) ? 0L : state::kInvisible) | state::kFocusable |
                                   (GetFocus() == handle ? state::kFocused : 0L);
                        });
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* out) override { return FirstWith(state::kFocused, out); }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* out) override { return FirstWith(state::kSelected, out); }
    HRESULT STDMETHODCALLTYPE accSelect(long, VARIANT) override { return DISP_E_MEMBERNOTFOUND; }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override {
        if (!left || !top || !width || !height) return E_POINTER;
        *left = *top = *width = *height = 0;
        int target = 0;
        if (const HRESULT h = Resolve(child, &target); h != S_OK) return h;
        const RECT r = tree_->ScreenRect(target);
        *left = r.left;
        *top = r.top;
        *width = r.right - r.left;
        *height = r.bottom - r.top;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* out) override {
        if (!out) return E_POINTER;
        *out = Empty();
        int from = 0;
        if (const HRESULT h = Resolve(start, &from); h != S_OK) return h;
        const AccessibleItems* all = tree_->Items();
        int to = -2;
        if (direction == NAVDIR_FIRSTCHILD || direction == NAVDIR_LASTCHILD) {
            const std::vector<int> children = tree_->ChildrenOf(from);
            if (!children.empty()) to = direction == NAVDIR_FIRSTCHILD ? children.front() : children.back();
        } else if ((direction == NAVDIR_NEXT || direction == NAVDIR_PREVIOUS) && from >= 0) {
            const std::vector<int> siblings = tree_->ChildrenOf((*all)[from].parent);
            for (size_t i = 0; i < siblings.size(); ++i) {
                if (siblings[i] != from) continue;
                if (direction == NAVDIR_NEXT && i + 1 < siblings.size()) to = siblings[i + 1];
                if (direction == NAVDIR_PREVIOUS && i > 0) to = siblings[i - 1];
            }
        }
        if (to < 0) return S_FALSE;
        *out = Object(ObjectOf(to));
        return out->pdispVal ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* out) override {
        if (!out) return E_POINTER;
        *out = Empty();
        if (!tree_->Items()) return E_FAIL;
        const POINT p{x, y};
        RECT own = tree_->ScreenRect(item_);
        if (!PtInRect(&own, p)) return S_FALSE;
        // The deepest item under the point, children before their holder.
        int found = item_;
        for (bool deeper = true; deeper;) {
            deeper = false;
            for (const int child : tree_->ChildrenOf(found)) {
                const RECT r = tree_->ScreenRect(child);
                if (PtInRect(&r, p) && !((*tree_->Items())[child].state & state::kInvisible)) {
                    found = child;
                    deeper = true;
                    break;
                }
            }
        }
        if (found == item_) {
            *out = Number(CHILDID_SELF);
            return S_OK;
        }
        *out = Object(ObjectOf(found));
        return out->pdispVal ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        int target = 0;
        if (const HRESULT h = Resolve(child, &target); h != S_OK) return h;
        if (target < 0) return DISP_E_MEMBERNOTFOUND;
        if (HWND window = (*tree_->Items())[target].window) {  // the control's own action
            IAccessible* object = SystemObjectOf(window, OBJID_CLIENT);
            if (!object) return DISP_E_MEMBERNOTFOUND;
            const HRESULT h = object->accDoDefaultAction(Number(CHILDID_SELF));
            object->Release();
            return h;
        }
        if ((*tree_->Items())[target].action.empty() || !tree_->act) return DISP_E_MEMBERNOTFOUND;
        tree_->act(target);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

private:
    ~Element() = default;

    // The item a child id names from this object: CHILDID_SELF this one; 1.. its children in order;
    // a negative id any item of the window (as the events carry them: -1 - index).
    HRESULT Resolve(const VARIANT& child, int* target) {
        const AccessibleItems* all = tree_->Items();
        if (!all) return E_FAIL;
        if (child.vt == VT_EMPTY) {
            *target = item_;
            return S_OK;
        }
        if (child.vt != VT_I4) return E_INVALIDARG;
        const long id = child.lVal;
        if (id == CHILDID_SELF) {
            *target = item_;
            return S_OK;
        }
        if (id < 0) {
            const long index = -id - 1;
            if (index >= static_cast<long>(all->size())) return E_INVALIDARG;
            *target = static_cast<int>(index);
            return S_OK;
        }
        const std::vector<int> children = tree_->ChildrenOf(item_);
        if (id > static_cast<long>(children.size())) return E_INVALIDARG;
        *target = children[id - 1];
        return S_OK;
    }

    // The object of an item: ours, or the system's for a child window.
    IDispatch* ObjectOf(int item) {
        const AccessibleItems* all = tree_->Items();
        if (item >= 0 && (*all)[item].window) return SystemObjectOf((*all)[item].window, OBJID_CLIENT);
        return new Element(tree_, item);
    }

    std::string WindowTitle() const {
        HWND handle = tree_->window->handle();
        std::wstring title(static_cast<size_t>(GetWindowTextLengthW(handle)) + 1, L'\0');
        title.resize(static_cast<size_t>(GetWindowTextW(handle, title.data(), static_cast<int>(title.size()))));
        return text::WideToGbk(title);
    }

    template <typename Getter, typename Text, typename Own>
    HRESULT TextOf(const VARIANT& child, BSTR* out, Getter getter, Text text, Own own) {
        if (!out) return E_POINTER;
        *out = nullptr;
        int target = 0;
        if (const HRESULT h = Resolve(child, &target); h != S_OK) return h;
        const AccessibleItems* all = tree_->Items();
        std::string said;
        if (target < 0) {
            said = own();
        } else if (HWND window = (*all)[target].window) {
            IAccessible* object = SystemObjectOf(window, OBJID_CLIENT);
            if (!object) return S_FALSE;
            const HRESULT h = (object->*getter)(Number(CHILDID_SELF), out);
            object->Release();
            return h;
        } else {
            said = text((*all)[target]);
        }
        if (said.empty()) return S_FALSE;
        *out = MakeText(said);
        return *out ? S_OK : E_OUTOFMEMORY;
    }

    template <typename Getter, typename Value, typename Own>
    HRESULT NumberOf(const VARIANT& child, VARIANT* out, Getter getter, Value value, Own own) {
        if (!out) return E_POINTER;
        *out = Empty();
        int target = 0;
        if (const HRESULT h = Resolve(child, &target); h != S_OK) return h;
        const AccessibleItems* all = tree_->Items();
        if (target < 0) {
            *out = Number(own());
        } else if (HWND window = (*all)[target].window) {
            IAccessible* object = SystemObjectOf(window, OBJID_CLIENT);
            if (!object) return S_FALSE;
            const HRESULT h = (object->*getter)(Number(CHILDID_SELF), out);
            object->Release();
            return h;
        } else {
            *out = Number(value((*all)[target]));
        }
        return S_OK;
    }

    HRESULT NoText(const VARIANT& child, BSTR* out) {
        if (!out) return E_POINTER;
        *out = nullptr;
        int target = 0;
        const HRESULT h = Resolve(child, &target);
        return h == S_OK ? S_FALSE : h;
    }

    // The first child of this object in a state (the focused one, the selected one).
    HRESULT FirstWith(long wanted, VARIANT* out) {
        if (!out) return E_POINTER;
        *out = Empty();
        const AccessibleItems* all = tree_->Items();
        if (!all) return E_FAIL;
        for (const int child : tree_->ChildrenOf(item_))
            if ((*all)[child].state & wanted) {
                *out = Object(ObjectOf(child));
                return out->pdispVal ? S_OK : S_FALSE;
            }
        return S_FALSE;
    }

    LONG references_ = 1;
    Tree tree_;
    int item_;
};

}  // namespace

AccessibleContent::AccessibleContent(const Window& window, std::function<AccessibleItems()> describe,
                                     std::function<void(int item)> act)
    : tree_(std::make_shared<Tree>()) {
    tree_->window = &window;
    tree_->describe = std::move(describe);
    tree_->act = std::move(act);
}

AccessibleContent::~AccessibleContent() {
    tree_->window = nullptr;
    tree_->items.reset();
    tree_->describe = nullptr;
    tree_->act = nullptr;
}

bool AccessibleContent::Answer(WPARAM wparam, LPARAM lparam, LRESULT* result) {
    if (!IsClientObject(lparam) || !tree_->window || !ComStarted()) return false;
    auto* root = new Element(tree_, -1);
    *result = ResultOf(root, wparam);
    root->Release();
    return *result != 0;
}

void AccessibleContent::Changed() { tree_->items.reset(); }

namespace {

void Raise(const AccessibleContent::Tree& tree, DWORD event, int item) {
    if (tree.window && item >= 0) NotifyWinEvent(event, tree.window->handle(), OBJID_CLIENT, AccessibleContent::ChildIdOf(item));
}

}  // namespace

void AccessibleContent::RaiseFocus(int item) {
    Changed();
    Raise(*tree_, EVENT_OBJECT_FOCUS, item);
}

void AccessibleContent::RaiseSelection(int item) {
    Changed();
    Raise(*tree_, EVENT_OBJECT_SELECTION, item);
}

void AccessibleContent::RaiseValueChange(int item) {
    Changed();
    Raise(*tree_, EVENT_OBJECT_VALUECHANGE, item);
}

// --- names of standard controls --------------------------------------------------------------------

namespace {

// The system's object of a control, with the name no label gives it; everything else is the
// system's answer.
class NamedObject final : public IAccessible {
public:
    NamedObject(IAccessible* system, std::string name) : system_(system), name_(std::move(name)) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** out) override {
        if (!out) return E_POINTER;
        if (Same(id, kIidUnknown) || Same(id, kIidDispatch) || Same(id, kIidAccessible)) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        // The children and the window come from the system's object.
        if (Same(id, kIidEnumVariant) || Same(id, kIidOleWindow)) return system_->QueryInterface(id, out);
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    TEMPO_NO_DISPATCH

    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        if (child.vt == VT_I4 && child.lVal == CHILDID_SELF && name) {
            *name = MakeText(name_);
            return *name ? S_OK : E_OUTOFMEMORY;
        }
        return system_->get_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** p) override { return system_->get_accParent(p); }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* c) override { return system_->get_accChildCount(c); }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT c, IDispatch** d) override { return system_->get_accChild(c, d); }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT c, BSTR* v) override { return system_->get_accValue(c, v); }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT c, BSTR* v) override {
        return system_->get_accDescription(c, v);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT c, VARIANT* r) override { return system_->get_accRole(c, r); }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT c, VARIANT* s) override { return system_->get_accState(c, s); }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT c, BSTR* h) override { return system_->get_accHelp(c, h); }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* f, VARIANT c, long* t) override {
        return system_->get_accHelpTopic(f, c, t);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT c, BSTR* k) override {
        return system_->get_accKeyboardShortcut(c, k);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* f) override { return system_->get_accFocus(f); }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* s) override { return system_->get_accSelection(s); }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT c, BSTR* a) override {
        return system_->get_accDefaultAction(c, a);
    }
    HRESULT STDMETHODCALLTYPE accSelect(long f, VARIANT c) override { return system_->accSelect(f, c); }
    HRESULT STDMETHODCALLTYPE accLocation(long* l, long* t, long* w, long* h, VARIANT c) override {
        return system_->accLocation(l, t, w, h, c);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long d, VARIANT s, VARIANT* e) override {
        return system_->accNavigate(d, s, e);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* c) override { return system_->accHitTest(x, y, c); }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT c) override { return system_->accDoDefaultAction(c); }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT c, BSTR n) override { return system_->put_accName(c, n); }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT c, BSTR v) override { return system_->put_accValue(c, v); }

private:
    ~NamedObject() { system_->Release(); }

    LONG references_ = 1;
    IAccessible* system_;
    std::string name_;
};

constexpr UINT_PTR kNamedControlSubclass = 0x4143;  // "AC"

LRESULT CALLBACK NamedControlProc(HWND control, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR data) {
    switch (message) {
        case WM_GETOBJECT:
            if (IsClientObject(lparam) && ComStarted()) {
                IAccessible* system = StandardObjectOf(control, OBJID_CLIENT);
                if (!system) break;
                auto* named = new NamedObject(system, *reinterpret_cast<const std::string*>(data));
                const LRESULT result = ResultOf(named, wparam);
                named->Release();
                if (result) return result;
            }
            break;
        case WM_NCDESTROY:
            RemoveWindowSubclass(control, NamedControlProc, kNamedControlSubclass);
            delete reinterpret_cast<std::string*>(data);
            break;
        default:
            break;
    }
    return DefSubclassProc(control, message, wparam, lparam);
}

}  // namespace

void NameControl(HWND control, const std::string& name) {
    if (!control) return;
    SetWindowSubclass(control, NamedControlProc, kNamedControlSubclass, reinterpret_cast<DWORD_PTR>(new std::string(name)));
}

// --- high contrast ------------------------------------------------------------------------------------

namespace {
const bool* g_high_contrast_for_testing = nullptr;
}  // namespace

bool HighContrast() {
    if (g_high_contrast_for_testing) return *g_high_contrast_for_testing;
    HIGHCONTRASTW contrast{};
    contrast.cbSize = sizeof contrast;
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON);
}

void SetHighContrastForTesting(const bool* on) { g_high_contrast_for_testing = on; }

}  // namespace win
