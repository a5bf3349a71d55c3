#include "core/panel.h"

Panel panel;
