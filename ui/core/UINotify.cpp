#include "UINotify.h"

#include "UIControl.h"

namespace SkinUI {

const TMessageMapEntry CNotifyPump::notifyEntries_[] = {NotifyMapEnd()};
const TMessageMap CNotifyPump::notifyMap_ = {nullptr, CNotifyPump::notifyEntries_};

CNotifyPump::CNotifyPump() : m_pages(CUIStringMap::kDefaultBuckets) {}

CNotifyPump::~CNotifyPump() = default;

const TMessageMap* CNotifyPump::GetNotifyMap() const { return &notifyMap_; }

bool CNotifyPump::AddNotifyPage(const wchar_t* pageName, CNotifyPump* page) {
    if (!pageName || !*pageName || !page) return false;
    return m_pages.Insert(pageName, page);
}

bool CNotifyPump::DispatchNotify(TNotifyMessage& msg) {
    if (!msg.sVirtualWnd.IsEmpty()) {
        for (int i = 0; i < m_pages.Count(); ++i) {
            const wchar_t* name = m_pages.KeyAt(i);
            if (msg.sVirtualWnd.CompareIgnoreCase(name) != 0) continue;
            auto* page = static_cast<CNotifyPump*>(m_pages.Lookup(name, false));
            if (page && page->DispatchThroughMaps(msg)) return true;
            break;
        }
    }
    return DispatchThroughMaps(msg);
}

const TMessageMapEntry* CNotifyPump::FindNotifyMapEntry(const TMessageMapEntry* entries, const TNotifyMessage& msg) {
    if (!entries || !msg.pSender) return nullptr;
    const CUIString senderName = msg.pSender->GetName();
    const TMessageMapEntry* anyControl = nullptr;
    for (const TMessageMapEntry* entry = entries; entry->nKind != UINOTIFY_END; ++entry) {
        if (entry->sType != msg.sType) continue;
        if (entry->sCtrlName.IsEmpty()) {
            anyControl = entry;
        } else if (entry->sCtrlName == senderName) {
            return entry;
        }
    }
    return anyControl;
}

bool CNotifyPump::DispatchThroughMaps(TNotifyMessage& msg) {
    if (!msg.pSender) return false;
    for (const TMessageMap* map = GetNotifyMap(); map; map = map->pBaseMap) {
        const TMessageMapEntry* entry = FindNotifyMapEntry(map->pEntries, msg);
        if (!entry) continue;
        switch (entry->nKind) {
        case UINOTIFY_PARAMS:
            (this->*entry->pfn.withParams)(msg.wParam, msg.lParam);
            return true;
        case UINOTIFY_MESSAGE:
            (this->*entry->pfn.withMessage)(msg);
            return true;
        default:
            return false;
        }
    }
    return false;
}

}  // namespace SkinUI
