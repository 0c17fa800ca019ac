#pragma once
// The option-engine tables of "Report Options" and "Print Options".

#include "options/option_dialog.h"

namespace tramond {

const OptionDialogTable& reportOptionsDialog();
const OptionDialogTable& printOptionsDialog();

}  // namespace tramond
