"""The start page: the window asks the service for its client page once, by
plain HTTP, with nothing added to the address. Wine's browser control makes
the request (it renders nothing without Gecko); an HTTP proxy on 127.0.0.1
stands in for the network and records it."""

import time
import unittest
import urllib.parse

import radio

HOST = "murava.example"
PATH = "/client.aspx"


def setUpModule():
    radio.hold_session()


class StartPageTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.proxy = radio.RecordingProxy().__enter__()
        cls.addClassCleanup(cls.proxy.__exit__, None, None, None)
        cls.program = radio.Program(env={"RADIO_HTTP_PROXY": cls.proxy.url}).start()
        cls.addClassCleanup(cls.program.stop)
        cls.program.wait_for_form()
        radio.poll(cls.proxy.recorded, 20, what="a request at the proxy")
        # Time for a repeated or a second request to show.
        time.sleep(3)
        cls.requests = cls.proxy.recorded()

    def parsed(self):
        for line, headers in self.requests:
            method, target, version = line.split(" ")
            yield method, urllib.parse.urlsplit(target), version, headers

    def test_exactly_one_request_for_the_client_page(self):
        pages = [url for _, url, _, _ in self.parsed() if url.path == PATH]
        self.assertEqual(len(pages), 1, self.requests)

    def test_request_is_a_plain_get_of_the_service_host(self):
        method, url, version, headers = next(r for r in self.parsed() if r[1].path == PATH)
        self.assertEqual(method, "GET")
        self.assertEqual(version, "HTTP/1.1")
        self.assertEqual(url.scheme, "http")
        self.assertEqual(url.hostname, HOST)
        self.assertIn(url.port, (None, 80))
        self.assertEqual(headers.get("Host", "").split(":")[0], HOST)

    def test_no_request_carries_a_query_or_fragment(self):
        for line, _ in self.requests:
            target = line.split(" ")[1]
            self.assertNotIn("?", target, line)
            self.assertNotIn("#", target, line)

    def test_every_request_goes_to_the_service_host(self):
        for _, url, _, _ in self.parsed():
            self.assertEqual(url.hostname, HOST)


if __name__ == "__main__":
    unittest.main()
