#pragma once

// What the report run (Run.cpp) and its page logic and records (RunPages.cpp) share; nothing
// else includes this.

#include "report/model/Expression.h"
#include "report/model/TextLayout.h"
#include "report/output/OutputStore.h"
#include "report/output/Sestava.h"

#include <QString>

#include <vector>

namespace orv::run_detail {

// A section visits its elements from the last to the first; a printed list is built once.
std::vector<TSiReportElement *> allElements(const TOddilSestavy &s);

// "<what> „<expression>“: <error> na pozici <n>", the text of a run problem.
QString failure(const QString &what, const QString &expression, const TEvalResult &r);

// Gives the item lines first..last of the laid-out text, taking them over without a copy.
void giveLines(TVystPrvek &item, TRadky &lines, int first, int last);

} // namespace orv::run_detail
