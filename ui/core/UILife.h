#pragma once
// Life tokens: a watch taken from an object's token tells, after calling out to handlers, whether
// the object was deleted meanwhile.
#include <memory>

namespace SkinUI {

// Whether an object still exists, for code that calls out to handlers which may destroy it: take a
// watch from the object's token before the call, test it after.
class CUILifeWatch {
public:
    explicit CUILifeWatch(std::shared_ptr<const bool> alive) : m_alive(std::move(alive)) {}
    explicit operator bool() const { return *m_alive; }
    bool operator!() const { return !*m_alive; }

private:
    std::shared_ptr<const bool> m_alive;
};

// The flag is made on the first watch, so objects nobody watches cost no allocation.
class CUILifeToken {
public:
    CUILifeToken() = default;
    ~CUILifeToken() {
        if (m_alive) *m_alive = false;
    }
    CUILifeToken(const CUILifeToken&) = delete;
    CUILifeToken& operator=(const CUILifeToken&) = delete;
    CUILifeWatch Watch() const {
        if (!m_alive) m_alive = std::make_shared<bool>(true);
        return CUILifeWatch(m_alive);
    }

private:
    mutable std::shared_ptr<bool> m_alive;
};

}  // namespace SkinUI
