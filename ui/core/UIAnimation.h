#pragma once
// Timer-driven frame animations of a control. A control that also derives from CUIAnimation starts an
// animation with an id (also its timer id), a timer period and a frame count; each tick of that timer,
// handed to OnAnimationElapse by the control, steps one frame, from 0 to the frame count, then stops or
// starts over. Several animations with different ids may run at once.
#include <vector>

namespace SkinUI {

class CControlUI;

class IUIAnimation {
public:
    virtual ~IUIAnimation() = default;
    virtual bool StartAnimation(int elapse, int totalFrames, int id = 0, bool loop = false) = 0;
    virtual void StopAnimation(int id = 0) = 0;
    virtual bool IsAnimationRunning(int id) = 0;
    virtual int GetCurrentFrame(int id = 0) = 0;
    virtual bool SetCurrentFrame(int frame, int id = 0) = 0;
    virtual void OnAnimationStep(int totalFrames, int currentFrame, int id) = 0;
    virtual void OnAnimationStart(int id, bool firstLoop) = 0;
    virtual void OnAnimationStop(int id) = 0;
    virtual void OnAnimationElapse(int id) = 0;
};

class CUIAnimation : public IUIAnimation {
public:
    explicit CUIAnimation(CControlUI* owner);
    CUIAnimation(const CUIAnimation&) = delete;
    CUIAnimation& operator=(const CUIAnimation&) = delete;
    ~CUIAnimation() override;

    // False for an id in use, a non-positive period or frame count, no owner, or a timer that would not
    // start.
    bool StartAnimation(int elapse, int totalFrames, int id = 0, bool loop = false) override;
    // Id 0 stops every animation of the control. No hook is called.
    void StopAnimation(int id = 0) override;
    bool IsAnimationRunning(int id) override;
    int GetCurrentFrame(int id = 0) override;  // -1 when not running
    bool SetCurrentFrame(int frame, int id = 0) override;  // 0..totalFrames
    void OnAnimationStep(int totalFrames, int currentFrame, int id) override {}
    void OnAnimationStart(int id, bool firstLoop) override {}
    void OnAnimationStop(int id) override {}
    void OnAnimationElapse(int id) override;

private:
    struct TAnimationRecord {
        int id = 0;
        int elapse = 0;
        int totalFrames = 0;
        int currentFrame = 0;
        bool loop = false;
        bool firstFrame = true;
        unsigned serial = 0;  // tells a record from a later one of the same id
    };

    TAnimationRecord* Find(int id);
    // The record of id when it is still the one with this serial (hooks may stop or restart it).
    TAnimationRecord* FindSame(int id, unsigned serial);
    void Remove(int id);
    bool StartTimer(int id, int elapse);
    void KillTimer(int id);

    CControlUI* m_owner;
    std::vector<TAnimationRecord> m_animations;
    unsigned m_nextSerial = 1;
};

}  // namespace SkinUI
