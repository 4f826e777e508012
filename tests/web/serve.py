"""A static file server for the web build: WebAssembly with its own type, so the browser compiles
it while it arrives, and nothing cached. Run as serve.py DIRECTORY PORT; prints the page's address.
The browser test imports serve() to run it on a thread of its own."""
import functools
import http.server
import sys
import threading


class Handler(http.server.SimpleHTTPRequestHandler):
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                      '.wasm': 'application/wasm', '.data': 'application/octet-stream'}

    def end_headers(self):
        self.send_header('Cache-Control', 'no-store')
        super().end_headers()

    def log_message(self, *args):
        pass


def serve(directory, port=0):
    """Starts serving on 127.0.0.1 on a thread; returns the server, whose port may be asked."""
    server = http.server.ThreadingHTTPServer(
        ('127.0.0.1', port), functools.partial(Handler, directory=directory))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


if __name__ == '__main__':
    server = serve(sys.argv[1], int(sys.argv[2]))
    print(f'http://127.0.0.1:{server.server_address[1]}/crs-move-pos.html', flush=True)
    try:
        threading.Event().wait()
    except KeyboardInterrupt:
        pass
