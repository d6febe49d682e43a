#pragma once
// Signals of the toolkit: each passes one event by const reference and returns long. Every slot
// runs, in connection order; the emission yields the last slot's value, or 0 when no slot ran
// (Boost's own last_value<long> throws in that case).

#include <boost/signals2.hpp>

struct LastValueCombiner {
    using result_type = long;
    template <typename Iterator> long operator()(Iterator first, Iterator last) const {
        long value = 0;
        for (; first != last; ++first) value = *first;
        return value;
    }
};

// Every signal of the toolkit lives and fires on the main thread, so no lock is taken.
template <typename Event>
using IMSignal = typename boost::signals2::signal_type<
    long(const Event&), boost::signals2::keywords::combiner_type<LastValueCombiner>,
    boost::signals2::keywords::mutex_type<boost::signals2::dummy_mutex>>::type;

using IMConnection = boost::signals2::connection;
using IMScopedConnection = boost::signals2::scoped_connection;
using IMTrackable = boost::signals2::trackable;
