// The instance numbers of the open album wizards.
#include "wizard/wizardinstances.h"

#include "data/records.h"
#include "platform/store/keepvalues.h"

#include <algorithm>
#include <set>

namespace melodex {

namespace {

std::set<qint64> &held()
{
    static std::set<qint64> numbers;
    return numbers;
}

// AW:Instance holds six digits.
constexpr qint64 MostInstance = 999999;

// Whether a scratch record carries `instance`.
bool hasTracks(qint64 instance)
{
    AW.clear();
    AW.Instance = instance;
    AddWizard.setFromBuffer(AddWizardRecord::KeyInstance);
    return AddWizard.next() == 0 && AW.Instance == instance;
}

} // namespace

qint64 WizardInstances::claim(qint64 wanted)
{
    std::set<qint64> &numbers = held();
    if (!numbers.contains(wanted)) {
        numbers.insert(wanted);
        return wanted;
    }
    const store::FileUse use(AddWizard);
    const store::KeepValues keep(AW);
    // One above every number in use, or, when that leaves the field's range, the lowest free.
    qint64 number = *numbers.rbegin() + 1;
    if (use.ok()) {
        AddWizard.set(AddWizardRecord::KeyInstance);
        if (AddWizard.previous() == 0)
            number = std::max(number, AW.Instance + 1);
    }
    if (number > MostInstance) {
        number = 1;
        while (number < MostInstance &&
               (numbers.contains(number) || (use.ok() && hasTracks(number))))
            ++number;
    }
    numbers.insert(number);
    return number;
}

void WizardInstances::release(qint64 instance)
{
    held().erase(instance);
}

} // namespace melodex
