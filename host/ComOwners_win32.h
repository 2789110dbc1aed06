#pragma once
// Owners for COM's resources: interface references, BSTRs, VARIANTs,
// SAFEARRAYs and the strings of an EXCEPINFO. Each releases what it holds
// exactly once; none of them can be copied into a second owner by accident.

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <oleauto.h>

namespace sonotag::host {

// A counted reference to a COM interface; it may be empty.
template <class Interface>
class ComRef {
public:
    ComRef() = default;
    ComRef(const ComRef& other) : pointer_(other.pointer_) {
        if (pointer_) pointer_->AddRef();
    }
    ComRef(ComRef&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
    ComRef& operator=(ComRef other) noexcept {
        std::swap(pointer_, other.pointer_);
        return *this;
    }
    ~ComRef() { reset(); }

    // Takes over a reference that the caller owns.
    static ComRef adopt(Interface* pointer) {
        ComRef reference;
        reference.pointer_ = pointer;
        return reference;
    }
    // Takes a reference of its own to `pointer`.
    static ComRef share(Interface* pointer) {
        if (pointer) pointer->AddRef();
        return adopt(pointer);
    }

    void reset() {
        if (Interface* pointer = std::exchange(pointer_, nullptr)) pointer->Release();
    }
    Interface* get() const { return pointer_; }
    Interface* operator->() const { return pointer_; }
    explicit operator bool() const { return pointer_ != nullptr; }

    // The slot for an out-parameter; what was held is released first.
    Interface** put() {
        reset();
        return &pointer_;
    }
    void** putVoid() { return reinterpret_cast<void**>(put()); }
    // Hands the reference over to the caller.
    Interface* detach() { return std::exchange(pointer_, nullptr); }

private:
    Interface* pointer_ = nullptr;
};

// Asks `object` for another interface; the answer's HRESULT is returned and
// `result` is empty unless it succeeded.
template <class Interface>
HRESULT QueryInterface(IUnknown* object, REFIID iid, ComRef<Interface>& result) {
    return object->QueryInterface(iid, result.putVoid());
}

// An owned BSTR; a null BSTR is the empty text.
class Bstr {
public:
    Bstr() = default;
    // Throws the automation error E_OUTOFMEMORY when the string cannot be made.
    explicit Bstr(std::u16string_view text);
    static Bstr adopt(BSTR text) {
        Bstr owned;
        owned.text_ = text;
        return owned;
    }
    Bstr(Bstr&& other) noexcept : text_(std::exchange(other.text_, nullptr)) {}
    Bstr& operator=(Bstr&& other) noexcept {
        std::swap(text_, other.text_);
        return *this;
    }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    ~Bstr() { SysFreeString(text_); }

    BSTR get() const { return text_; }
    BSTR detach() { return std::exchange(text_, nullptr); }

private:
    BSTR text_ = nullptr;
};

// The text of a BSTR that may be null.
std::u16string TextOf(BSTR text);
// The text of a BSTR, or nothing for a null one (a text the host did not give).
std::optional<std::u16string> OptionalTextOf(BSTR text);

// An owned VARIANT, cleared when it goes.
class Variant {
public:
    Variant() { VariantInit(&value_); }
    Variant(Variant&& other) noexcept : value_(other.value_) { VariantInit(&other.value_); }
    Variant& operator=(Variant&& other) noexcept {
        std::swap(value_, other.value_);
        return *this;
    }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
    ~Variant() { VariantClear(&value_); }

    VARIANT* get() { return &value_; }
    const VARIANT* get() const { return &value_; }
    VARTYPE type() const { return V_VT(&value_); }
    // The slot for an out-parameter; what was held is cleared first.
    VARIANT* put() {
        VariantClear(&value_);
        return &value_;
    }
    // Hands the value over to the caller, who must clear it.
    VARIANT detach() {
        VARIANT value = value_;
        VariantInit(&value_);
        return value;
    }

private:
    VARIANT value_;
};

// VARIANTs laid out one after the other, as DISPPARAMS wants them; all are
// cleared when the list goes.
class VariantList {
public:
    explicit VariantList(std::size_t size) : values_(size) {
        for (VARIANT& value : values_) VariantInit(&value);
    }
    VariantList(const VariantList&) = delete;
    VariantList& operator=(const VariantList&) = delete;
    ~VariantList() {
        for (VARIANT& value : values_) VariantClear(&value);
    }

    VARIANT* data() { return values_.empty() ? nullptr : values_.data(); }
    std::size_t size() const { return values_.size(); }
    VARIANT& operator[](std::size_t index) { return values_[index]; }

private:
    std::vector<VARIANT> values_;
};

// An owned SAFEARRAY, destroyed when it goes unless handed over.
class SafeArray {
public:
    SafeArray() = default;
    static SafeArray adopt(SAFEARRAY* array) {
        SafeArray owned;
        owned.array_ = array;
        return owned;
    }
    SafeArray(SafeArray&& other) noexcept : array_(std::exchange(other.array_, nullptr)) {}
    SafeArray& operator=(SafeArray&& other) noexcept {
        std::swap(array_, other.array_);
        return *this;
    }
    SafeArray(const SafeArray&) = delete;
    SafeArray& operator=(const SafeArray&) = delete;
    ~SafeArray() {
        if (array_) SafeArrayDestroy(array_);
    }

    SAFEARRAY* get() const { return array_; }
    SAFEARRAY* detach() { return std::exchange(array_, nullptr); }

private:
    SAFEARRAY* array_ = nullptr;
};

// An EXCEPINFO for one call; its strings are freed with it.
class OwnedExcepInfo {
public:
    OwnedExcepInfo() = default;
    OwnedExcepInfo(const OwnedExcepInfo&) = delete;
    OwnedExcepInfo& operator=(const OwnedExcepInfo&) = delete;
    ~OwnedExcepInfo() {
        SysFreeString(info_.bstrSource);
        SysFreeString(info_.bstrDescription);
        SysFreeString(info_.bstrHelpFile);
    }

    EXCEPINFO* get() { return &info_; }
    EXCEPINFO& operator*() { return info_; }

private:
    EXCEPINFO info_{};
};

}  // namespace sonotag::host
