#pragma once
// Makes the dataset classes known to the form reader by class name.

namespace data {

// Registers TClientDataSet, TDataSource and the field classes. Idempotent.
void RegisterDataClasses();

} // namespace data
