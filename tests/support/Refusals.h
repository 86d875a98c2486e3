#pragma once

#include "platform/DateText.h"
#include "platform/Numbers.h"

#include <QString>

// The refusals of typed dates and amounts: the refusal, then on a second line what is taken.
namespace refusals {

inline const QString badDate = QStringLiteral("請輸入正確的日期\n") + DateText::acceptedForms();
inline const QString badBegin = QStringLiteral("請輸入正確的起始時間, 至少要有年,月\n") + DateText::acceptedForms();
inline const QString badEnd = QStringLiteral("請輸入正確的結束時間, 至少要有年,月\n") + DateText::acceptedForms();
inline const QString badYear = QStringLiteral("請輸入正確的年份格式\n可打西元年 2024 或民國年 113");
inline const QString badAmountOnLeaving = QStringLiteral("請輸入正確的金錢數字\n") + Numbers::acceptedAmountForms();
inline const QString badAmountOnAdding = QStringLiteral("請輸入正確錢的數目\n") + Numbers::acceptedAmountForms();

} // namespace refusals
