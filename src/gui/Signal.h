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

template <typename Event>
using IMSignal = boost::signals2::signal<long(const Event&), LastValueCombiner>;

using IMConnection = boost::signals2::connection;
using IMScopedConnection = boost::signals2::scoped_connection;
using IMTrackable = boost::signals2::trackable;
