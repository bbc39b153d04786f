#include "data/register_data_classes.h"

#include "components/classes.h"
#include "data/client_dataset.h"
#include "data/data_source.h"
#include "data/field_bcd.h"
#include "data/field_binary.h"
#include "data/field_blob.h"
#include "data/field_boolean.h"
#include "data/field_dataset.h"
#include "data/field_datetime.h"
#include "data/field_interface.h"
#include "data/field_numbers.h"
#include "data/field_object.h"
#include "data/field_text.h"
#include "data/field_types.h"
#include "data/field_variant.h"

namespace data {

void RegisterDataClasses()
{
    components::RegisterClasses({&TClientDataSet::StaticClass(), &TDataSource::StaticClass(),
                                 &TStringField::StaticClass(), &TIntegerField::StaticClass(),
                                 &TSmallintField::StaticClass(), &TShortintField::StaticClass(),
                                 &TByteField::StaticClass(), &TWordField::StaticClass(),
                                 &TAutoIncField::StaticClass(), &TFloatField::StaticClass(),
                                 &TBooleanField::StaticClass(), &TCurrencyField::StaticClass(),
                                 &TBCDField::StaticClass(), &TFMTBCDField::StaticClass(),
                                 &TDateField::StaticClass(), &TTimeField::StaticClass(),
                                 &TDateTimeField::StaticClass(), &TSQLTimeStampField::StaticClass(),
                                 &TSQLTimeStampOffsetField::StaticClass(), &TBytesField::StaticClass(),
                                 &TVarBytesField::StaticClass(), &TBlobField::StaticClass(),
                                 &TMemoField::StaticClass(), &TWideMemoField::StaticClass(),
                                 &TGraphicField::StaticClass(), &TWideStringField::StaticClass(),
                                 &TGuidField::StaticClass(), &TLargeintField::StaticClass(),
                                 &TLongWordField::StaticClass(), &TSingleField::StaticClass(),
                                 &TExtendedField::StaticClass(), &TVariantField::StaticClass(),
                                 &TInterfaceField::StaticClass(), &TIDispatchField::StaticClass(),
                                 &TADTField::StaticClass(), &TArrayField::StaticClass(),
                                 &TDataSetField::StaticClass(), &TReferenceField::StaticClass()});
}

} // namespace data
