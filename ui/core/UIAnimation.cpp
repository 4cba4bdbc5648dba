// CUIAnimation: animation records and their stepping. Hooks run in the middle of a step and may stop,
// restart or start animations, so a step finds its record again after every hook.
#include "UIAnimation.h"

#include "UIControl.h"
#include "UIManager.h"

#include <algorithm>

namespace SkinUI {

CUIAnimation::CUIAnimation(CControlUI* owner) : m_owner(owner) {}

CUIAnimation::~CUIAnimation() = default;

CUIAnimation::TAnimationRecord* CUIAnimation::Find(int id) {
    for (TAnimationRecord& record : m_animations)
        if (record.id == id) return &record;
    return nullptr;
}

CUIAnimation::TAnimationRecord* CUIAnimation::FindSame(int id, unsigned serial) {
    TAnimationRecord* record = Find(id);
    return record && record->serial == serial ? record : nullptr;
}

void CUIAnimation::Remove(int id) {
    m_animations.erase(std::remove_if(m_animations.begin(), m_animations.end(),
                                      [id](const TAnimationRecord& record) { return record.id == id; }),
                       m_animations.end());
}

bool CUIAnimation::StartTimer(int id, int elapse) {
    CPaintManagerUI* manager = m_owner->GetManager();
    return manager && manager->StartControlTimer(m_owner, id, elapse);
}

void CUIAnimation::KillTimer(int id) {
    if (CPaintManagerUI* manager = m_owner->GetManager()) manager->StopControlTimer(m_owner, id);
}

bool CUIAnimation::StartAnimation(int elapse, int totalFrames, int id, bool loop) {
    if (Find(id) || elapse <= 0 || totalFrames <= 0 || !m_owner) return false;
    if (!StartTimer(id, elapse)) return false;
    TAnimationRecord record;
    record.id = id;
    record.elapse = elapse;
    record.totalFrames = totalFrames;
    record.loop = loop;
    record.serial = m_nextSerial++;
    m_animations.push_back(record);
    return true;
}

void CUIAnimation::StopAnimation(int id) {
    if (!m_owner) return;
    if (id == 0) {
        std::vector<TAnimationRecord> stopped;
        stopped.swap(m_animations);
        for (const TAnimationRecord& record : stopped) KillTimer(record.id);
        return;
    }
    if (!Find(id)) return;
    KillTimer(id);
    Remove(id);
}

bool CUIAnimation::IsAnimationRunning(int id) { return Find(id) != nullptr; }

int CUIAnimation::GetCurrentFrame(int id) {
    const TAnimationRecord* record = Find(id);
    return record ? record->currentFrame : -1;
}

bool CUIAnimation::SetCurrentFrame(int frame, int id) {
    TAnimationRecord* record = Find(id);
    if (!record || frame < 0 || frame > record->totalFrames) return false;
    record->currentFrame = frame;
    return true;
}

void CUIAnimation::OnAnimationElapse(int id) {
    if (!m_owner) return;
    TAnimationRecord* record = Find(id);
    if (!record) return;
    const unsigned serial = record->serial;
    const int frame = record->currentFrame;
    if (frame == 0) {
        const bool first = record->firstFrame;
        OnAnimationStart(id, first);
        if (!(record = FindSame(id, serial))) return;
        record->firstFrame = false;
    }
    OnAnimationStep(record->totalFrames, frame, id);
    if (!(record = FindSame(id, serial))) return;
    if (frame >= record->totalFrames) {
        OnAnimationStop(id);
        if (!(record = FindSame(id, serial))) return;
        if (!record->loop) {
            KillTimer(id);
            Remove(id);
            return;
        }
        record->currentFrame = 0;
    }
    record->currentFrame += 1;
}

}  // namespace SkinUI
