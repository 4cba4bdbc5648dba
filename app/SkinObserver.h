#pragma once
// A small observer pattern for changing window backgrounds at run time: one process-wide broadcaster
// and any number of receivers. The main window registers as a receiver; nothing broadcasts yet.
#include "UIString.h"

#include <windows.h>

#include <map>

struct SkinChangedParam {
    bool bColor = false;      // true: paint with the colour, false: with the image
    DWORD bkcolor = 0;        // ARGB
    SkinUI::CUIString bgimage;  // an image description
};

template <typename ReturnT, typename ParamT>
class ReceiverImplBase;

template <typename ReturnT, typename ParamT>
class ObserverImplBase {
public:
    virtual ~ObserverImplBase() = default;
    virtual void AddReceiver(ReceiverImplBase<ReturnT, ParamT>* receiver) = 0;
    virtual void RemoveReceiver(ReceiverImplBase<ReturnT, ParamT>* receiver) = 0;
    virtual ReturnT Broadcast(ParamT param) = 0;
    virtual ReturnT Notify(ParamT param) = 0;
};

template <typename ReturnT, typename ParamT>
class ReceiverImplBase {
public:
    virtual ~ReceiverImplBase() = default;
    virtual void AddObserver(ObserverImplBase<ReturnT, ParamT>* observer) = 0;
    virtual void RemoveObserver() = 0;
    virtual ReturnT Receive(ParamT param) = 0;
    virtual ReturnT Respond(ParamT param) = 0;
};

template <typename ReturnT, typename ParamT>
class ObserverImpl : public ObserverImplBase<ReturnT, ParamT> {
public:
    using Receiver = ReceiverImplBase<ReturnT, ParamT>;

    // Keys count up and are never reused, so a receiver removed and added again gets a new key.
    void AddReceiver(Receiver* receiver) override {
        if (!receiver) return;
        m_receivers[m_count] = receiver;
        receiver->AddObserver(this);
        ++m_count;
    }
    void RemoveReceiver(Receiver* receiver) override {
        if (!receiver) return;
        for (auto it = m_receivers.begin(); it != m_receivers.end(); ++it) {
            if (it->second == receiver) {
                m_receivers.erase(it);
                return;
            }
        }
    }
    ReturnT Broadcast(ParamT param) override {
        for (auto& entry : m_receivers) entry.second->Receive(param);
        return ReturnT();
    }
    ReturnT Notify(ParamT param) override {
        for (auto& entry : m_receivers) entry.second->Respond(param);
        return ReturnT();
    }
    size_t ReceiverCount() const { return m_receivers.size(); }
    int NextKey() const { return m_count; }

private:
    std::map<int, Receiver*> m_receivers;
    int m_count = 0;
};

template <typename ReturnT, typename ParamT>
class ReceiverImpl : public ReceiverImplBase<ReturnT, ParamT> {
public:
    using Observer = ObserverImplBase<ReturnT, ParamT>;

    // A receiver that dies leaves its observers, so no broadcast reaches a dead object.
    ~ReceiverImpl() override { RemoveObserver(); }

    void AddObserver(Observer* observer) override { m_observers[m_count++] = observer; }
    void RemoveObserver() override {
        for (auto& entry : m_observers) entry.second->RemoveReceiver(this);
        m_observers.clear();
    }
    ReturnT Receive(ParamT) override { return ReturnT(); }
    ReturnT Respond(ParamT) override { return ReturnT(); }

private:
    std::map<int, Observer*> m_observers;
    int m_count = 0;
};

using SkinChangeObserver = ObserverImpl<int, SkinChangedParam>;
using SkinChangeReceiver = ReceiverImpl<int, SkinChangedParam>;

// The one process-wide broadcaster.
SkinChangeObserver& GlobalSkinChangeObserver();
