#include "program/form1.h"

#include <span>

#include "app/application.h"
#include "components/classes.h"
#include "data/register_data_classes.h"
#include "grids/db_grid.h"
#include "pickers/date_picker.h"
#include "form_resources.h"
#include "platform/resources.h"

namespace program {

using components::TComponent;

TForm1* Form1 = nullptr;

DEFINE_CLASS(TForm1)
    .Field(u"DBGrid1", &TForm1::DBGrid1)
    .Field(u"DatePicker1", &TForm1::DatePicker1)
    .Field(u"DataSource1", &TForm1::DataSource1)
    .Field(u"ClientDataSet1", &TForm1::ClientDataSet1)
    .Field(u"ClientDataSet1codigo", &TForm1::ClientDataSet1codigo)
    .Field(u"ClientDataSet1nome", &TForm1::ClientDataSet1nome)
END_CLASS

void RegisterProgram()
{
    for (const formres::Resource& r : formres::All())
        platform::RegisterResource(platform::RT_RCDATA, core::FromAscii(r.Name), std::span(r.Data, r.Size));
    data::RegisterDataClasses();
    grids::RegisterGridClasses();
    pickers::RegisterPickerClasses();
    components::RegisterClass(TForm1::StaticClass());
}

void RunProgram()
{
    app::Application->Initialize();
    app::Application->SetMainFormOnTaskBar(true);
    app::Application->CreateForm(Form1);
    app::Application->Run();
}

} // namespace program
