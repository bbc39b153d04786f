#pragma once
// The program's one window. TForm1 has no behaviour of its own: everything
// on it comes from its stored description "TFORM1".
#include "controls/form.h"

namespace program {

class TForm1 : public controls::TForm {
    DECLARE_CLASS(TForm1, controls::TForm)
public:
    explicit TForm1(components::TComponent* owner) : controls::TForm(owner) {}

    // Bound by name when the description is read.
    components::TComponent* DBGrid1 = nullptr;
    components::TComponent* DatePicker1 = nullptr;
    components::TComponent* DataSource1 = nullptr;
    components::TComponent* ClientDataSet1 = nullptr;
    components::TComponent* ClientDataSet1codigo = nullptr;
    components::TComponent* ClientDataSet1nome = nullptr;
};

extern TForm1* Form1;

// Registers the program's resources (its stored forms) and every class its
// forms are made of. Call once before the first CreateForm.
void RegisterProgram();

// The entry point's four steps: Initialize, MainFormOnTaskBar, CreateForm, Run.
void RunProgram();

} // namespace program
