#pragma once
// CControlFactory: the process-wide table from a control class name ("CButtonUI") to the function that
// creates a control of that class. Names match without regard to letter case.
//
// Each module registers its own classes (a registrar per module, see AddBuiltinRegistrar), so the core
// links and runs before the controls exist. A registrar added before the factory is created runs when
// it is created; one added later runs at once. The full built-in set is listed in GetBuiltinClassName.
#include "UIString.h"

#include <map>
#include <vector>

namespace SkinUI {

class CControlUI;

using CreateControlFn = CControlUI* (*)();

// One row of a module's class table.
struct TControlClass {
    const wchar_t* name;
    CreateControlFn create;
};

class CControlFactory {
public:
    using Registrar = void (*)(CControlFactory& factory);

    // Created on first use; Release destroys it and a later GetInstance builds it again.
    static CControlFactory* GetInstance();
    static void Release();
    static void AddBuiltinRegistrar(Registrar registrar);

    // A name already present keeps its first function.
    void RegistControl(const wchar_t* className, CreateControlFn create);
    void RegistControls(const TControlClass* classes, int count);
    // A new control owned by the caller, or null for an unknown name.
    CControlUI* CreateControl(const wchar_t* className) const;
    bool IsRegistered(const wchar_t* className) const;
    int GetCount() const { return static_cast<int>(m_creators.size()); }

    // The framework's built-in classes in registration order; null beyond the end.
    static int GetBuiltinClassCount();
    static const wchar_t* GetBuiltinClassName(int index);

    virtual ~CControlFactory();

private:
    CControlFactory();
    CControlFactory(const CControlFactory&) = delete;
    CControlFactory& operator=(const CControlFactory&) = delete;

    static CUIString Key(const wchar_t* className);

    std::map<CUIString, CreateControlFn> m_creators;
};

}  // namespace SkinUI
