#pragma once
// Delegates and event sources: code subscribes to a control's events without subclassing. A delegate
// wraps an object and a function (or a plain function); an event source calls its delegates in the order
// of subscription and stops at the first that answers false.
#include "UIPtrArray.h"

#include <windows.h>  // renames GetObject to GetObjectW: every user must see the same name

#include <cstring>

namespace SkinUI {

class CDelegateBase {
public:
    CDelegateBase(void* object, void* function);
    CDelegateBase(const CDelegateBase& other);
    virtual ~CDelegateBase();
    virtual CDelegateBase* Copy() const = 0;

    bool Equals(const CDelegateBase& other) const;
    bool operator()(void* param) { return Invoke(param); }
    void* GetFn() const { return m_function; }
    void* GetObject() const { return m_object; }

protected:
    virtual bool Invoke(void* param) = 0;
    // A member-function pointer is wider than a data pointer: its second word tells otherwise equal
    // delegates apart.
    void SetFunctionExtra(void* extra) { m_functionExtra = extra; }

private:
    void* m_object;
    void* m_function;
    void* m_functionExtra = nullptr;
};

// A plain function taking the event record.
class CDelegateStatic : public CDelegateBase {
public:
    using Fn = bool (*)(void* param);
    explicit CDelegateStatic(Fn function);
    CDelegateBase* Copy() const override;

protected:
    bool Invoke(void* param) override;

private:
    Fn m_fn;
};

// A member function of an object: bool T::Handler(void* param).
template <class T>
class CDelegate : public CDelegateBase {
public:
    using Fn = bool (T::*)(void* param);
    static_assert(sizeof(Fn) <= 2 * sizeof(void*), "unexpected member-function pointer size");

    CDelegate(T* object, Fn method) : CDelegateBase(object, Word(method, 0)), m_method(method) {
        SetFunctionExtra(Word(method, 1));
    }
    CDelegateBase* Copy() const override { return new CDelegate(*this); }

protected:
    bool Invoke(void* param) override { return (static_cast<T*>(GetObject())->*m_method)(param); }

private:
    static void* Word(Fn method, int index) {
        void* words[2] = {nullptr, nullptr};
        memcpy(words, &method, sizeof method);
        return words[index];
    }
    Fn m_method;
};

template <class T>
CDelegate<T> MakeDelegate(T* object, bool (T::*method)(void*)) {
    return CDelegate<T>(object, method);
}

inline CDelegateStatic MakeDelegate(bool (*function)(void*)) { return CDelegateStatic(function); }

// The subscriber list of one kind of event. Holds its own copies of the delegates.
class CUIEventSource {
public:
    CUIEventSource() = default;
    CUIEventSource(const CUIEventSource&) = delete;
    CUIEventSource& operator=(const CUIEventSource&) = delete;
    ~CUIEventSource();

    // Adds a copy unless an equal delegate is already registered.
    void operator+=(const CDelegateBase& delegate);
    // Removes (and deletes) the first registered delegate equal to the given one.
    void operator-=(const CDelegateBase& delegate);
    // Calls each delegate in order; false at the first that answers false, true otherwise.
    bool operator()(void* param);
    explicit operator bool() const { return !m_delegates.IsEmpty(); }

private:
    CUIPtrArray m_delegates;
};

}  // namespace SkinUI
