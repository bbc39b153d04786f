#pragma once
// The working date the picker's columns read and change while the user
// picks, with the year limits of the year column.
#include <memory>

#include "core/datetime.h"

namespace pickers {

class IDateProvider {
public:
    virtual ~IDateProvider() = default;
    virtual core::TDateTime GetDate() const = 0;
    virtual void SetDate(core::TDateTime value) = 0;
    virtual int GetMaxYear() const = 0;
    virtual void SetMaxYear(int value) = 0;
    virtual int GetMinYear() const = 0;
    virtual void SetMinYear(int value) = 0;
};

// Plain holder: the accessors read and write the fields without checks.
class TDateProvider final : public IDateProvider {
public:
    core::TDateTime GetDate() const override { return FDate; }
    void SetDate(core::TDateTime value) override { FDate = value; }
    int GetMaxYear() const override { return FMaxYear; }
    void SetMaxYear(int value) override { FMaxYear = value; }
    int GetMinYear() const override { return FMinYear; }
    void SetMinYear(int value) override { FMinYear = value; }

private:
    core::TDateTime FDate = 0;
    int FMinYear = 0;
    int FMaxYear = 0;
};

// Shared between the picker and its date columns.
using IDateProviderRef = std::shared_ptr<IDateProvider>;

} // namespace pickers
