#include "controls/ui.h"

CWin mwin;
CTbr mtbr;
CCbx mcbx;
CCbx mcby;
CBtn mbtn;
CTip mtip;
CTvw mtvw;
CLvw mlvw;
CBtn mbta;
CBtn mbth;
CBtn mbtr;
CBtn mbts;

void UncheckAttributeButtons() {
    mbta.SetCheck(0);
    mbth.SetCheck(0);
    mbtr.SetCheck(0);
    mbts.SetCheck(0);
}
