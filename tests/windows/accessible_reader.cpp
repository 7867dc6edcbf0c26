// A screen reader's view of a window, read from outside its process as one reads it: the client
// area's object (AccessibleObjectFromWindow), and under it every object and element
// (AccessibleChildren) with its role, state, place on the screen, name and value. The tests start
// it with a window's handle and a file; it writes one line per object, depth first:
//   depth TAB role TAB state TAB left,top,width,height TAB name TAB value
// (numbers in decimal, a line break inside a text as U+001E, the file in UTF-16LE). Exit code 0 when the window's object was read.
#include <windows.h>
#include <oleacc.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

std::wstring Line(IAccessible* object, const VARIANT& child, int depth) {
    long role = 0, state = 0, left = 0, top = 0, width = 0, height = 0;
    VARIANT v;
    VariantInit(&v);
    if (SUCCEEDED(object->get_accRole(child, &v)) && v.vt == VT_I4) role = v.lVal;
    VariantClear(&v);
    if (SUCCEEDED(object->get_accState(child, &v)) && v.vt == VT_I4) state = v.lVal;
    VariantClear(&v);
    object->accLocation(&left, &top, &width, &height, child);
    BSTR name = nullptr, value = nullptr;
    if (object->get_accName(child, &name) != S_OK) name = nullptr;
    if (object->get_accValue(child, &value) != S_OK) value = nullptr;
    wchar_t numbers[160];
    swprintf(numbers, 160, L"%d\t%ld\t%ld\t%ld,%ld,%ld,%ld\t", depth, role, state, left, top, width, height);
    // A line break inside a text is written as U+001E, so that each object stays on its line.
    const auto one_line = [](const wchar_t* text) {
        std::wstring s = text ? text : L"";
        for (wchar_t& c : s)
            if (c == L'\n') c = L'\x1E';
        return s;
    };
    std::wstring line = numbers;
    line += one_line(name);
    line += L'\t';
    line += one_line(value);
    line += L'\n';
    SysFreeString(name);
    SysFreeString(value);
    return line;
}

void Walk(IAccessible* object, int depth, std::wstring& out) {
    VARIANT self;
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    out += Line(object, self, depth);
    long count = 0;
    if (depth >= 4 || FAILED(object->get_accChildCount(&count)) || count <= 0) return;
    std::vector<VARIANT> children(static_cast<size_t>(count));
    long got = 0;
    if (FAILED(AccessibleChildren(object, 0, count, children.data(), &got))) return;
    for (long i = 0; i < got; ++i) {
        VARIANT& c = children[static_cast<size_t>(i)];
        if (c.vt == VT_DISPATCH && c.pdispVal) {
            IAccessible* child = nullptr;
            if (SUCCEEDED(c.pdispVal->QueryInterface(IID_IAccessible, reinterpret_cast<void**>(&child)))) {
                Walk(child, depth + 1, out);
                child->Release();
            }
        } else if (c.vt == VT_I4) {
            out += Line(object, c, depth + 1);
        }
        VariantClear(&c);
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    HWND window = reinterpret_cast<HWND>(static_cast<INT_PTR>(_wtoi64(argv[1])));
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IAccessible* root = nullptr;
    int status = 1;
    std::wstring out;
    if (SUCCEEDED(AccessibleObjectFromWindow(window, OBJID_CLIENT, IID_IAccessible, reinterpret_cast<void**>(&root))) &&
        root) {
        Walk(root, 0, out);
        root->Release();
        status = 0;
    }
    FILE* file = _wfopen(argv[2], L"wb");
    if (!file) return 3;
    fwrite(out.data(), sizeof(wchar_t), out.size(), file);
    fclose(file);
    CoUninitialize();
    return status;
}
