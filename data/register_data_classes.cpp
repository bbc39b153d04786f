#include "data/register_data_classes.h"

#include "components/classes.h"
#include "data/client_dataset.h"
#include "data/data_source.h"
#include "data/field_types.h"

namespace data {

void RegisterDataClasses()
{
    components::RegisterClasses({&TClientDataSet::StaticClass(), &TDataSource::StaticClass(),
                                 &TStringField::StaticClass(), &TIntegerField::StaticClass(),
                                 &TSmallintField::StaticClass(), &TShortintField::StaticClass(),
                                 &TByteField::StaticClass(), &TWordField::StaticClass(),
                                 &TAutoIncField::StaticClass(), &TFloatField::StaticClass()});
}

} // namespace data
