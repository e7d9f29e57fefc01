// Any text as an expression: evaluation never crashes or hangs, reports positions inside
// the text, gives the same result parsed once or from the cache, and report functions
// over it aggregate without trouble.

#include "FuzzSupport.h"

#include "report/model/Expression.h"

#include <cstddef>
#include <cstdint>

using namespace orv;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    fuzz::FuzzReport report;
    setCurrentReport(&report);

    const TEvalResult cached = Evaluate(text);
    const TExpression parsed(text);
    const TEvalResult once = parsed.evaluate(&report);
    const TEvalResult twice = parsed.evaluate(&report);
    fuzz::check(cached.Error == once.Error && cached.Position == once.Position,
                "cached and parsed expression differ");
    fuzz::check(once.Error == twice.Error && once.Position == twice.Position,
                "second evaluation differs");
    if (once.ok()) {
        const bool same = (once.Value.Number == twice.Value.Number
                           || (once.Value.Number != once.Value.Number
                               && twice.Value.Number != twice.Value.Number))
                          && once.Value.Text == twice.Value.Text
                          && once.Value.Kind == twice.Value.Kind;
        fuzz::check(same, "second evaluation gives another value");
    }
    fuzz::check(once.Position >= 0 && once.Position <= text.size(), "error position outside");

    // A valid expression means the same inside a pair of parentheses.
    if (once.ok() && !parsed.isEmpty() && text.size() < kMaxExpressionLength - 2) {
        const TEvalResult wrapped = TExpression(u'(' + text + u')').evaluate(&report);
        if (wrapped.Error != eeTooMany) {
            fuzz::check(wrapped.ok(), "a valid expression fails in parentheses");
            const bool sameNumber = wrapped.Value.Number == once.Value.Number
                                    || (wrapped.Value.Number != wrapped.Value.Number
                                        && once.Value.Number != once.Value.Number);
            fuzz::check(sameNumber && wrapped.Value.Text == once.Value.Text
                            && wrapped.Value.Kind == once.Value.Kind
                            && wrapped.Value.IsNull == once.Value.IsNull,
                        "parentheses change the value");
        }
    }

    (void)EvaluateText(text);
    (void)EvaluateCondition(text);
    (void)SplitList(text);

    for (int agg = 0; agg <= 7; ++agg) {
        TRadekFunkce *f = report.Functions.add();
        f->Expression = text;
        f->Aggregation = agg;
        f->Format = agg % 5;
        f->Type = agg == 0 ? 1 : 0;
    }
    report.Functions.SetSkipNulls(size % 2 == 0);
    report.Functions.MarkReset(-1);
    for (int record = 0; record < 3; ++record)
        report.Functions.ComputeAll(&report);
    for (int i = 0; i < report.Functions.count(); ++i)
        (void)report.Functions.DisplayText(i);
    setCurrentReport(nullptr);
    return 0;
}
