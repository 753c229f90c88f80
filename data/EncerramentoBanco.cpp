#include "data/EncerramentoBanco.h"

#include <ibase.h>

void EncerraBanco() {
    fb_shutdown(0, fb_shutrsn_app_stopped);
}
