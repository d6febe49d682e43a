# Sourced by the end-to-end scripts: a private CUPS scheduler with a PDF queue as the default
# printer, so that a print job ends as a PDF file whose text can be read back. The machine's own
# scheduler and queues are never touched: the programs started afterwards reach this one through
# CUPS_SERVER.

# Starts cupsd in a folder of its own with a cups-pdf queue named $1 (PDF unless given), made the
# default; exports CUPS_SERVER; $cupsd is its process. Returns 1 with the scheduler's log on the
# terminal when it cannot start or the queue cannot be made.
start_cupsd() {
    local queue=${1:-PDF} dir
    # The filters run as another user: every folder on the way to the spool must let them in,
    # which a private temporary folder does not.
    dir=$(mktemp -d)
    chmod 755 "$dir"
    mkdir -p "$dir"/{root,spool/tmp,cache,state,log}
    cups_socket=$dir/cups.sock
    cat >"$dir/cupsd.conf" <<EOF
Listen $cups_socket
LogLevel info
WebInterface No
Browsing No
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
EOF
    cat >"$dir/cups-files.conf" <<EOF
ServerRoot $dir/root
RequestRoot $dir/spool
TempDir $dir/spool/tmp
CacheDir $dir/cache
StateDir $dir/state
AccessLog $dir/log/access_log
ErrorLog $dir/log/error_log
PageLog $dir/log/page_log
Sandboxing Relaxed
EOF
    /usr/sbin/cupsd -f -c "$dir/cupsd.conf" -s "$dir/cups-files.conf" &
    cupsd=$!
    cups_dir=$dir
    for _ in $(seq 200); do
        [ -S "$cups_socket" ] && break
        kill -0 $cupsd 2>/dev/null || break
        sleep 0.05
    done
    export CUPS_SERVER=$cups_socket
    unset PRINTER LPDEST
    for _ in $(seq 100); do lpstat -r 2>/dev/null | grep -q 'is running' && break; sleep 0.1; done
    /usr/sbin/lpadmin -p "$queue" -v cups-pdf:/ -E -m lsb/usr/cups-pdf/CUPS-PDF_opt.ppd \
        -o pdftops-renderer-default=pdftocairo >/dev/null 2>&1
    /usr/sbin/lpadmin -d "$queue" >/dev/null 2>&1
    if ! lpstat -p "$queue" 2>/dev/null | grep -q enabled; then
        echo "the private cupsd or its queue $queue did not start:"
        cat "$dir/log/error_log" 2>/dev/null
        return 1
    fi
}
stop_cupsd() {
    [ -n "${cupsd:-}" ] || return 0
    kill $cupsd 2>/dev/null
    wait $cupsd 2>/dev/null
    rm -rf "$cups_dir"
}

# Whether this machine can run a private scheduler with a PDF queue (root, cupsd, cups-pdf and
# pdftotext present).
cups_available() {
    [ "$(id -u)" = 0 ] && [ -x /usr/sbin/cupsd ] && [ -x /usr/sbin/lpadmin ] &&
        [ -x /usr/lib/cups/backend/cups-pdf ] && [ -f /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd ] &&
        command -v pdftotext >/dev/null
}

# The cups-pdf backend writes into ~/PDF of the job's user.
cups_pdf_folder() { echo "$(getent passwd "$(id -un)" | cut -d: -f6)/PDF"; }

# Waits up to $2 seconds for a PDF in the backend's folder that is not listed in file $1 and whose
# text holds $3; prints that text and removes the PDF. Returns 1 when none came.
wait_for_printed_text() {
    local before=$1 seconds=$2 marker=$3 folder pdf text
    folder=$(cups_pdf_folder)
    for _ in $(seq $((seconds * 5))); do
        sleep 0.2
        for pdf in "$folder"/*.pdf; do
            [ -f "$pdf" ] || continue
            grep -qxF "$pdf" "$before" && continue
            text=$(pdftotext -layout "$pdf" - 2>/dev/null)
            case "$text" in
            *"$marker"*) rm -f "$pdf"; printf '%s\n' "$text"; return 0 ;;
            esac
        done
    done
    return 1
}
# Lists the PDFs already in the backend's folder into file $1.
list_printed() {
    local folder
    folder=$(cups_pdf_folder)
    : >"$1"
    for pdf in "$folder"/*.pdf; do [ -f "$pdf" ] && echo "$pdf" >>"$1"; done
    return 0
}
