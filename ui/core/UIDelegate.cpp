#include "UIDelegate.h"

namespace SkinUI {

CDelegateBase::CDelegateBase(void* object, void* function) : m_object(object), m_function(function) {}

CDelegateBase::CDelegateBase(const CDelegateBase& other)
    : m_object(other.m_object), m_function(other.m_function), m_functionExtra(other.m_functionExtra) {}

CDelegateBase::~CDelegateBase() = default;

bool CDelegateBase::Equals(const CDelegateBase& other) const {
    return m_object == other.m_object && m_function == other.m_function &&
           m_functionExtra == other.m_functionExtra;
}

CDelegateStatic::CDelegateStatic(Fn function)
    : CDelegateBase(nullptr, reinterpret_cast<void*>(function)), m_fn(function) {}

CDelegateBase* CDelegateStatic::Copy() const { return new CDelegateStatic(*this); }

bool CDelegateStatic::Invoke(void* param) { return m_fn ? m_fn(param) : true; }

CUIEventSource::~CUIEventSource() {
    for (int i = 0; i < m_delegates.Count(); ++i) delete static_cast<CDelegateBase*>(m_delegates[i]);
}

void CUIEventSource::operator+=(const CDelegateBase& delegate) {
    for (int i = 0; i < m_delegates.Count(); ++i) {
        if (static_cast<CDelegateBase*>(m_delegates[i])->Equals(delegate)) return;
    }
    CDelegateBase* copy = delegate.Copy();
    if (!m_delegates.Add(copy)) delete copy;
}

void CUIEventSource::operator-=(const CDelegateBase& delegate) {
    for (int i = 0; i < m_delegates.Count(); ++i) {
        auto* registered = static_cast<CDelegateBase*>(m_delegates[i]);
        if (registered->Equals(delegate)) {
            m_delegates.RemoveAt(i);
            delete registered;
            return;
        }
    }
}

bool CUIEventSource::operator()(void* param) {
    // Indexes are re-read on every step: a subscriber may add or remove delegates while it runs.
    for (int i = 0; i < m_delegates.Count(); ++i) {
        auto* delegate = static_cast<CDelegateBase*>(m_delegates[i]);
        if (!(*delegate)(param)) return false;
    }
    return true;
}

}  // namespace SkinUI
