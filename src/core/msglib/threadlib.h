#pragma once
// The thread and lock library: locks, a semaphore, a pulsed event, thread objects and the thread
// manager that runs and reaps worker threads. Failures are raised as CThreadError, so its header
// comes along.

#include "errors/IError.h"
#include "msglib/CEvent.h"
#include "msglib/CMutex.h"
#include "msglib/CSemaphore.h"
#include "msglib/CThread.h"
#include "msglib/CThreadManager.h"
