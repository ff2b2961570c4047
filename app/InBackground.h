// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFutureWatcher>
#include <QObject>
#include <QtConcurrent>

#include <type_traits>
#include <utility>

// Runs `work` off the window's thread, and `then` with its result on it,
// unless `context` is gone by then.
template<typename Work, typename Then>
void InBackground(QObject *context, Work work, Then then)
{
    // A watcher the context owns rather than a continuation: Qt requires a
    // continuation's context to outlive the work, and a window may close first.
    auto *watcher = new QFutureWatcher<std::invoke_result_t<Work>>(context);
    QObject::connect(watcher, &QFutureWatcherBase::finished, context, [watcher, then = std::move(then)]() mutable {
        watcher->deleteLater();
        then(watcher->future().takeResult());
    });
    watcher->setFuture(QtConcurrent::run(std::move(work)));
}
